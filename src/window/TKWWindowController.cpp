#include "window/TKWWindowController.h"

#include "clockview/FaceGeometry.h"
#include "clockview/TKWView.h"
#include "desktop/WindowFrame.h"
#include "settings/ClockDefaults.h"
#include "settings/SettingsKeys.h"
#include "store/ObservableDictionary.h"
#include "store/PrivateFiles.h"
#include "store/PropertyListFile.h"
#include "store/UserDefaults.h"
#include "window/ClockSettingsPanel.h"
#include "window/ClockSizing.h"
#include "window/FrameAutosave.h"
#include "window/TKWWindow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QStandardPaths>
#include <QUuid>

#include <utility>

namespace tockwise {

namespace {

// Moves of a window come in bursts while it is dragged; its frame is kept once
// it has come to rest.
constexpr int frameSaveDelayMs = 500;

QStringList romanNumerals()
{
    return ClockModel::romanNumeralsOf(UserDefaults::standard().objectForKey(Keys::RomanNumerals));
}

} // namespace

TKWWindowController::TKWWindowController(std::shared_ptr<ObservableDictionary> settings,
                                         const QString &file)
    : mClockSettings(std::move(settings)), mSettingsFile(file)
{
    mWriteTimer.setSingleShot(true);
    mWriteTimer.setInterval(writeDelayMs);
    connect(&mWriteTimer, &QTimer::timeout, this, [this] { writeSettings(); });
    mFrameTimer.setSingleShot(true);
    mFrameTimer.setInterval(frameSaveDelayMs);
    connect(&mFrameTimer, &QTimer::timeout, this, [this] {
        if (mWindow && mClockView) {
            FrameAutosave::save(frameAutosaveName(), mClockView->windowFrame().frame());
        }
    });
    mRomanNumerals = romanNumerals();
    mNumeralsWatch = UserDefaults::standard().observe(Keys::RomanNumerals, [this](const QString &) {
        mRomanNumerals = romanNumerals();
        if (mConfigEstablished && mClockView) {
            mClockView->setModel(model(), ClockSettings::Change::Redraw);
        }
    });
    mSettingsWrites =
        mClockSettings->observeAll([this](const QString &key) { settingChanged(key); });
}

TKWWindowController::~TKWWindowController()
{
    mSettingsWrites.reset();
    mNumeralsWatch.reset();
    if (mWindow) {
        // The window may be handling the very event that removed its clock.
        mWindow->hide();
        mWindow->deleteLater();
    }
    if (mPrefWindow) {
        mPrefWindow->hide();
        mPrefWindow->deleteLater();
    }
}

std::shared_ptr<TKWWindowController>
TKWWindowController::initWithTimeZoneName(const std::optional<QString> &name)
{
    PropertyList::Dictionary settings = defaultConfig();
    if (name) {
        settings.insert(Keys::TimeZone, PropertyList::string(*name));
        settings.insert(Keys::Local, PropertyList::boolean(false));
    } else {
        // A local clock follows the system's zone and does not name it.
        settings.insert(Keys::ShowTimeZone, PropertyList::integer(0));
    }
    const QString file = QDir(settingsFolder()).filePath(newSettingsFileName());
    std::shared_ptr<TKWWindowController> clock(
        new TKWWindowController(std::make_shared<ObservableDictionary>(std::move(settings)), file));
    // Nothing may ever change a new clock; were it written only after a change or
    // at quit, a crash would take it along.
    clock->writeSettings();
    return clock;
}

std::shared_ptr<TKWWindowController> TKWWindowController::initWithSettingsFile(const QString &path)
{
    QString error;
    std::optional<PropertyList::Dictionary> settings;
    if (PrivateFiles::isPlainFile(path)) {
        settings = PropertyListFile::read(path, &error);
    } else {
        error = QStringLiteral("it is not a plain file (a link or something else)");
    }
    if (!settings) {
        qWarning("The clock settings file %s cannot be read (%s); it is left as it is and its "
                 "clock is not opened.",
                 qUtf8Printable(path), qUtf8Printable(error));
        return nullptr;
    }
    ClockDefaults::applyFillIns(*settings);
    return std::shared_ptr<TKWWindowController>(new TKWWindowController(
        std::make_shared<ObservableDictionary>(std::move(*settings)), path));
}

PropertyList::Dictionary TKWWindowController::defaultConfig()
{
    return ClockDefaults::defaultConfig();
}

ClockModel TKWWindowController::modelOf(const ObservableDictionary &settings)
{
    ClockModel model = ClockModel::read(settings);
    if (model.useFaceImage) {
        if (const auto path = FacePicture::find(settings.value(Keys::FaceImage))) {
            model.faceImage = FacePicture().read(*path);
        }
    }
    model.romanNumerals = romanNumerals();
    return model;
}

bool TKWWindowController::usesFacePicture() const
{
    return ClockModel::boolSettingForKey(mClockSettings->value(Keys::UseFaceImage));
}

ClockModel TKWWindowController::model() const
{
    ClockModel model = ClockModel::read(*mClockSettings);
    model.faceImage = mFaceImage;
    model.romanNumerals = mRomanNumerals;
    return model;
}

QString TKWWindowController::settingsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/org.tockwise.Tockwise");
}

QString TKWWindowController::newSettingsFileName()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + QStringLiteral(".tkw");
}

TKWWindow *TKWWindowController::window() const
{
    return mWindow;
}

QString TKWWindowController::frameAutosaveName() const
{
    return QFileInfo(mSettingsFile).completeBaseName();
}

// --- The window ---------------------------------------------------------------

void TKWWindowController::loadWindow()
{
    if (mWindow) {
        return;
    }
    mClockView = new TKWView;
    mWindow = new TKWWindow(mClockView);
    //: Title of a clock's window, as window lists and switchers show it.
    mWindow->setWindowTitle(tr("Tockwise clock"));
    auto frame = std::make_shared<WidgetWindowFrame>(mWindow);
    frame->setFrame(FrameAutosave::firstFrame(frame->mainScreen().visibleFrame, {128, 128},
                                              std::max(mCascadeIndex, 0)),
                    false);
    ClockSizing::follow(*mClockView, frame);
    mClockView->awakeFromNib();
    connect(mWindow, &TKWWindow::menuRequested, this, &TKWWindowController::menuRequested);
    connect(mWindow, &TKWWindow::frameChanged, this, &TKWWindowController::frameChanged);
    connect(mClockView, &TKWView::dialDefined, this, &TKWWindowController::storeDial);
    connect(mClockView, &TKWView::pictureDropped, this, &TKWWindowController::takeDroppedPicture);
    connect(mWindow, &TKWWindow::coveredChanged, mClockView, &TKWView::setCovered);
    connect(mClockView, &TKWView::painted, mWindow, &TKWWindow::contentPainted);
    if (usesFacePicture()) {
        findFacePicture(true);
    }
    awakeFromNib();
    // Once the view has its settings: the shape is what the clock paints.
    const QPointer<TKWView> view(mClockView);
    mWindow->setShapeSource(
        [view](qreal ratio, const QRect &area) {
            return view ? view->renderImage(ratio, area) : QImage();
        },
        [view](qreal ratio) { return view ? view->dialLayer(ratio) : QImage(); });
}

void TKWWindowController::awakeFromNib()
{
    mClockView->setModel(model());
    if (mPrefWindow) {
        mPrefWindow->setSettings(mClockSettings);
    }
    mConfigEstablished = true;
    mTerminate = connect(qApp, &QCoreApplication::aboutToQuit, this,
                         &TKWWindowController::applicationWillTerminate);
}

void TKWWindowController::showWindow()
{
    loadWindow();
    WindowFrame &frame = mClockView->windowFrame();
    const std::optional<Rect> saved = FrameAutosave::saved(frameAutosaveName());
    if (saved) {
        frame.setFrame(FrameAutosave::restored(*saved, frame.frame().size()), false);
    } else {
        // By now the window has the size its settings give it.
        const Rect visible = screenUnderPointer().value_or(frame.mainScreen()).visibleFrame;
        const Size size = frame.frame().size();
        frame.setFrame(
            FrameAutosave::freeFrame(visible, size, otherClockFrames())
                .value_or(FrameAutosave::firstFrame(visible, size, std::max(mCascadeIndex, 0))),
            false);
    }
    // A frame kept from a screen that is gone comes back onto one that is here.
    const ScreenInfo screen = frame.screen().value_or(frame.mainScreen());
    if (const auto corrected =
            WindowSizing::offScreenCorrection(frame.frame(), screen.visibleFrame)) {
        frame.setFrame(*corrected, false);
    }
    mWindow->show();
    if (!saved) {
        // A new clock keeps its first place too, should it never be moved.
        mFrameTimer.start();
    }
}

std::vector<Rect> TKWWindowController::otherClockFrames() const
{
    std::vector<Rect> frames;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<TKWWindow *>(widget) && widget != mWindow && widget->isVisible()) {
            frames.push_back(WidgetWindowFrame(widget).frame());
        }
    }
    return frames;
}

void TKWWindowController::frameChanged()
{
    if (mWindow && mWindow->isVisible()) {
        mFrameTimer.start();
    }
}

void TKWWindowController::showSettingsPanel()
{
    loadWindow();
    if (!mPrefWindow) {
        mPrefWindow = new ClockSettingsPanel(mClockSettings);
        mPrefWindow->setAttribute(Qt::WA_DeleteOnClose, false);
        TKWView *view = mClockView;
        connect(mPrefWindow, &ClockSettingsPanel::removeClockRequested, this,
                &TKWWindowController::removalRequested);
        connect(mPrefWindow, &ClockSettingsPanel::closeSettingsDialogRequested, this,
                &TKWWindowController::closeSettingsPanel);
        connect(mPrefWindow, &ClockSettingsPanel::selectFaceImageRequested, this,
                &TKWWindowController::selectFaceImage);
        connect(mPrefWindow, &ClockSettingsPanel::selectPrimaryTimeZoneRequested, this,
                [this] { selectTimeZone(Keys::TimeZone, true); });
        connect(mPrefWindow, &ClockSettingsPanel::selectAlternateTimeZoneRequested, this,
                [this] { selectTimeZone(Keys::AlternateTimeZone, false); });
        connect(mPrefWindow, &ClockSettingsPanel::beginMovingClockHandsRequested, view,
                &TKWView::beginMovingClockHands);
        connect(mPrefWindow, &ClockSettingsPanel::resetHandLocationRequested, this,
                &TKWWindowController::resetHandLocation);
    }
    mPrefWindow->show();
    mPrefWindow->raise();
    mPrefWindow->activateWindow();
    // The panel names the picture where it is now; one in use that was not found
    // before and is found now shows on the clock too.
    const bool hold = usesFacePicture() && mFaceImage.isNull();
    findFacePicture(hold);
    if (hold && !mFaceImage.isNull() && mConfigEstablished) {
        mClockView->setModel(model(), ClockSettings::Change::Picture);
    }
}

// --- Removal and quit -------------------------------------------------------

void TKWWindowController::removeClock()
{
    // The clock list lets go of this controller below; it lives until we return.
    const std::shared_ptr<TKWWindowController> self = shared_from_this();
    mRemoved = true;
    mWriteTimer.stop();
    mFrameTimer.stop();
    mSettingsWrites.reset();
    // Only the clock's own plain file inside the settings folder goes: never a
    // file a link points at, never anything elsewhere.
    if (PrivateFiles::isDirectlyInside(mSettingsFile, settingsFolder()) &&
        PrivateFiles::isPlainFile(mSettingsFile)) {
        QFile::remove(mSettingsFile);
    }
    FrameAutosave::forget(frameAutosaveName());
    disconnect(mTerminate);
    if (mPrefWindow) {
        mPrefWindow->hide();
    }
    if (mWindow) {
        mWindow->hide();
    }
    Q_EMIT removed();
}

void TKWWindowController::applicationWillTerminate()
{
    if (mRemoved) {
        return;
    }
    saveNow();
    if (mPrefWindow) {
        mPrefWindow->hide();
    }
    if (mWindow) {
        mWindow->hide();
    }
}

void TKWWindowController::saveNow()
{
    if (mRemoved) {
        return;
    }
    mWriteTimer.stop();
    writeSettings();
    mFrameTimer.stop();
    if (mWindow) {
        FrameAutosave::save(frameAutosaveName(), mClockView->windowFrame().frame());
    }
}

void TKWWindowController::settingChanged(const QString &key)
{
    // A crash or a kill loses at most the last few seconds of changes.
    if (!mRemoved && !mWriteTimer.isActive()) {
        mWriteTimer.start();
    }
    const ClockSettings::Change change = ClockSettings::changeOf(key);
    // A picture chosen is held even while the picture face is off; the face
    // switched off drops it.
    if (change == ClockSettings::Change::Picture) {
        if (key == Keys::FaceImage || usesFacePicture()) {
            findFacePicture(true);
        } else {
            mFaceImage = QImage();
        }
    }
    if (mConfigEstablished && mClockView) {
        mClockView->setModel(model(), change);
    }
}

bool TKWWindowController::writeSettings()
{
    if (mRemoved) {
        return false;
    }
    PrivateFiles::makeFolder(QFileInfo(mSettingsFile).absolutePath());
    QString error;
    if (!PropertyListFile::write(mSettingsFile, mClockSettings->contents(), &error)) {
        // Once until a save succeeds again: every change and the quit try again.
        if (std::exchange(mSaveProblem, error).isEmpty()) {
            qWarning("The clock settings cannot be saved to %s: %s; the file there is left as "
                     "it was.",
                     qUtf8Printable(mSettingsFile), qUtf8Printable(error));
        }
        return false;
    }
    mSaveProblem.clear();
    return true;
}

} // namespace tockwise
