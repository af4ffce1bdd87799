// A clock as its controller runs it: its settings file, written at once, after a
// change and removed; its window's place on one monitor or two, its shape without a
// compositor and the settings all clock windows share; and its settings panel.

#include "Support.h"
#include "app/TKWController.h"
#include "clockview/TKWView.h"
#include "desktop/CompositingWatch.h"
#include "settings/ClockDefaults.h"
#include "settings/SettingsKeys.h"
#include "store/AliasData.h"
#include "store/PropertyListFile.h"
#include "store/UserDefaults.h"
#include "time/TimeSource.h"
#include "tzpanel/QZTimeZonePanel.h"
#include "widgets/ColorWell.h"
#include "widgets/ObjectController.h"
#include "window/ClockSettingsPanel.h"
#include "window/FrameAutosave.h"
#include "window/TKWWindow.h"
#include "window/TKWWindowController.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QCursor>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QWindow>

using namespace tockwise;

namespace {

std::shared_ptr<TKWWindowController> newClock(const QString &zone = "UTC")
{
    TKWController::initialize();
    return TKWWindowController::initWithTimeZoneName(zone);
}

// The settings panel of a clock, as the clock opens it.
ClockSettingsPanel *panelOf(TKWWindowController &clock)
{
    clock.showSettingsPanel();
    return shownWindow<ClockSettingsPanel>();
}

// The panel's controls by the setting each is bound to.
QMap<QString, QWidget *> controls(const QWidget &panel)
{
    QMap<QString, QWidget *> found;
    for (QWidget *widget : panel.findChildren<QWidget *>()) {
        found.insert(widget->property(ObjectController::bindingKeyProperty).toString(), widget);
    }
    found.remove(QString());
    return found;
}

// What a user's change of the control writes; none for a control that only shows.
std::optional<PropertyList> change(QWidget *control)
{
    if (auto *box = qobject_cast<QCheckBox *>(control)) {
        box->click();
        return PropertyList::boolean(box->isChecked());
    }
    if (auto *slider = qobject_cast<QSlider *>(control)) {
        slider->setValue(37);
        return PropertyList::real(0.37);
    }
    if (auto *size = qobject_cast<QSpinBox *>(control)) {
        size->setValue(2048); // the largest clock
        return PropertyList::real(2048);
    }
    if (auto *combo = qobject_cast<QComboBox *>(control)) {
        combo->setCurrentIndex(3);
        return PropertyList::integer(3);
    }
    if (auto *well = qobject_cast<ColorWell *>(control)) {
        well->click();
        ColorWell::sharedColorDialog(false)->setCurrentColor(QColor(51, 102, 153, 128));
        QCoreApplication::processEvents(); // the pick is taken before OK is reached
        ColorWell::sharedColorDialog(false)->accept();
        return PropertyList::data(Color::calibratedRGB(0.2f, 0.4f, 0.6f, 128 / 255.0f).encode());
    }
    return std::nullopt;
}

// A press, a drag and a release at points of the view given y-up, as it sees them.
void drag(TKWView &view, Point from, Point to, Point release)
{
    view.beginMovingClockHands();
    for (const auto &[type, at] :
         {std::pair{QEvent::MouseButtonPress, from}, std::pair{QEvent::MouseMove, to},
          std::pair{QEvent::MouseButtonRelease, release}}) {
        const QPointF position(at.x, view.bounds().height - at.y);
        QMouseEvent event(type, position, view.mapToGlobal(position), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(&view, &event);
    }
}

} // namespace

TEST(ClockFile, ANewClockIsOnDiskAtOnceAChangeWithinMomentsAndARemovalTakesOnlyItsOwn)
{
    const auto kept = newClock("Europe/Paris");
    EXPECT_EQ(settingsIn(kept->settingsFile()), kept->clockSettings()->contents());
    const auto removed = newClock();
    for (const auto &clock : {kept, removed}) {
        clock->showWindow();
        clock->clockSettings()->setValue(Keys::ClockSize, PropertyList::integer(200));
    }
    removed->removeClock();
    EXPECT_TRUE(waitFor([&] {
        return settingsIn(kept->settingsFile())
                   .value_or(PropertyList::Dictionary())[Keys::ClockSize] ==
               PropertyList::integer(200);
    }));
    EXPECT_FALSE(QFile::exists(removed->settingsFile()));
}

// Without a compositor nothing blends the window with the desktop: it is cut to
// what it paints, from before it is first shown and tick by tick.
TEST(ClockFile, WithoutACompositorTheWindowIsCutToWhatItPaints)
{
    using namespace std::chrono;
    Instant instant = utc(12, 6, 10, 59, 50);
    PinnedTime now([&] { return instant; });
    CompositingWatch::shared().setOverride(false);
    const auto clock = newClock();
    clock->clockSettings()->setValue(Keys::MinutePips, PropertyList::boolean(true));
    clock->showWindow();
    const QWindow *window = clock->window()->windowHandle();
    const auto cutAsPainted = [&] {
        const QImage frame = clock->clockView()->renderImage(1);
        for (int y = 0; y < frame.height(); ++y) {
            for (int x = 0; x < frame.width(); ++x) {
                if ((qAlpha(frame.pixel(x, y)) >= 32) != window->mask().contains({x, y})) {
                    return false;
                }
            }
        }
        return true;
    };
    EXPECT_TRUE(cutAsPainted());
    // Shown, ticks on an X display (the x11_shape test) send frames straight to it.
    ASSERT_TRUE(waitFor([&] { return window->isExposed(); }));
    // A transparent face leaves the marks and hands, across a turn of the hour.
    clock->clockSettings()->setValue(Keys::Opacity, PropertyList::real(0));
    for (int second = 0; second < 15; ++second) {
        instant += seconds(1);
        clock->clockView()->timerFired();
        ASSERT_TRUE(waitFor(cutAsPainted)) << second;
    }
}

TEST(FrameAutosave, ANewClockTakesTheFirstFreePlaceInRowsFromTheTopRight)
{
    // 128-point clocks inside the edges of 32 points: 32 to 768 across, 32 to 568 up.
    const auto at = [](float x, float y, float side = 128) { return Rect{x, y, side, side}; };
    std::vector<Rect> full; // five places in each of three rows, 16 points apart
    for (int i = 0; i < 15; ++i) {
        full.push_back(at(640.0f - 144.0f * (i % 5), 440.0f - 144.0f * (i / 5)));
    }
    const std::pair<std::vector<Rect>, std::optional<Rect>> rows[] = {
        {{}, at(640, 440)},                               // the top right
        {{full[0], full[2]}, at(496, 440)},               // the first gap in the top row
        {{at(100, 100, 50)}, at(640, 440)},               // a clock elsewhere
        {{at(700, 500, 40)}, at(556, 440)},               // beside a small one
        {{at(568, 368, 200)}, at(424, 440)},              // beside a big one
        {{full.begin(), full.begin() + 4}, at(64, 440)},  // the row's last place
        {{full.begin(), full.begin() + 5}, at(640, 296)}, // a full row: the next
        {full, std::nullopt},                             // a full screen
    };
    for (const auto &[others, expected] : rows) {
        EXPECT_EQ(FrameAutosave::freeFrame({0, 0, 800, 600}, {128, 128}, others), expected);
    }
    EXPECT_EQ(FrameAutosave::freeFrame({1280, -100, 1024, 768}, {128, 128}, {}), at(2144, 508));
    EXPECT_FALSE(FrameAutosave::freeFrame({0, 0, 180, 600}, {128, 128}, {})); // too small
}

// Each new clock has the size of its settings by the time it is placed.
TEST(ClockFile, NewClocksTakeFreePlacesUntilTheScreenIsFullThenCascade)
{
    TKWController list;
    std::vector<QRect> shown; // y-down, as Qt has them
    for (int i = 0; i < 5; ++i) {
        const auto clock = list.addClock(newClock());
        clock->clockSettings()->setValue(Keys::ClockSize, PropertyList::integer(256));
        clock->showWindow();
        shown.push_back(clock->window()->geometry());
        for (int j = 0; j < i && i < 4; ++j) {
            EXPECT_FALSE(shown[i].intersects(shown[j])) << i << " on " << j;
        }
    }
    // Two rows of two on the 800-point square screen, then the cascade's fifth.
    ASSERT_EQ(QGuiApplication::primaryScreen()->availableGeometry(), QRect(0, 0, 800, 800));
    EXPECT_EQ(shown[3], QRect(240, 304, 256, 256));
    EXPECT_EQ(shown[4], QRect(416, 128, 256, 256));
}

TEST(TwoMonitors, AClockStaysOnTheMonitorItWasLeftOnOrComesBackInSight)
{
    if (QGuiApplication::screens().size() < 2) {
        GTEST_SKIP() << "one screen: the two_monitors test runs this with two";
    }
    const auto shownAfterKeeping = [](const Rect &saved) {
        const auto clock = newClock();
        FrameAutosave::save(clock->frameAutosaveName(), saved);
        clock->showWindow();
        return clock->window()->geometry(); // y-down, as Qt has it
    };
    // 400 up from the bottom of the 800-point primary is 272 down from its top.
    const QRect kept = shownAfterKeeping({1500, 400, 128, 128});
    EXPECT_EQ(kept, QRect(1500, 272, 128, 128));
    EXPECT_EQ(QGuiApplication::screenAt(kept.center())->name(), "right");
    for (const Rect &gone :
         {Rect{3000, 400, 128, 128}, Rect{1500, -900, 128, 128}, Rect{-2000, 100, 128, 128}}) {
        const QRect shown = shownAfterKeeping(gone);
        const QScreen *screen = QGuiApplication::screenAt(shown.center());
        EXPECT_TRUE(screen && screen->availableGeometry().contains(shown)) << gone.x;
    }
    // A new clock comes up on the monitor under the pointer.
    QCursor::setPos(1500, 300);
    const auto clock = newClock();
    clock->showWindow();
    EXPECT_EQ(QGuiApplication::screenAt(clock->window()->geometry().center())->name(), "right");
}

TEST(TKWWindow, FollowsTheSettingsAllClockWindowsShareInPlace)
{
    const auto share = [](bool set) {
        UserDefaults::standard().setBool(Keys::ClickThrough, set);
        UserDefaults::standard().setBool(Keys::AllSpaces, set);
        UserDefaults::standard().setInteger(Keys::WindowLevel, set ? 3 : 0); // not 0: the desktop
    };
    share(true);
    auto window = std::make_unique<TKWWindow>(new QWidget);
    window->show();
    for (const bool set : {true, false, true}) { // as made, then as changed
        EXPECT_EQ(window->windowHandle()->flags().testFlag(Qt::WindowTransparentForInput), set);
        EXPECT_EQ(window->level() == TKWWindow::Level::DesktopIcons, set);
        EXPECT_EQ(window->isOnAllWorkspaces(), set);
        EXPECT_TRUE(window->isVisible()); // changed in place, not hidden and shown again
        share(!set);
    }
}

TEST(ClockSettingsPanel, EachControlWritesItsKeyOnceInTheStoredFormAndShowingWritesNothing)
{
    TKWController::initialize(); // the size's steps
    const QStringList keys = controls(ClockSettingsPanel(nullptr)).keys();
    EXPECT_EQ(keys.size(), 23); // all but the dial, the picture and TKWLocal: set elsewhere
    for (const QString &key : keys) {
        auto settings = std::make_shared<ObservableDictionary>(ClockDefaults::defaultConfig());
        QStringList changes;
        const Observation watch = settings->observeAll([&](const QString &k) { changes << k; });
        ClockSettingsPanel panel(settings);
        panel.show();
        const std::optional<PropertyList> written = change(controls(panel).value(key));
        EXPECT_EQ(changes, written ? QStringList{key} : QStringList()) << key.toStdString();
        EXPECT_TRUE(!written || *settings->value(key) == *written) << key.toStdString();
    }
}

TEST(ClockSettingsPanel, TheSizeShowsInPointsStepsByAStepAndTypedSizesRoundToOne)
{
    const auto clock = newClock();
    auto *size = panelOf(*clock)->findChild<QSpinBox *>("clockSizeSpin");
    EXPECT_EQ(size->text(), "128 pt");
    size->stepUp();
    EXPECT_EQ(clock->clockSettings()->contents()[Keys::ClockSize], PropertyList::real(132));
    for (const auto &[typed, stored] : {std::pair{"130", 132}, std::pair{"129", 128}}) {
        size->selectAll();
        QTest::keyClicks(size, typed);
        QTest::keyClick(size, Qt::Key_Return);
        EXPECT_EQ(clock->clockSettings()->contents()[Keys::ClockSize], PropertyList::real(stored));
        EXPECT_EQ(size->text(), QString("%1 pt").arg(stored));
    }
}

TEST(ClockSettingsPanel, TheZoneButtonsStoreTheChosenZoneCancelKeepsItAndClearRemovesIt)
{
    const auto clock = newClock();
    ClockSettingsPanel *panel = panelOf(*clock);
    for (const auto &[button, key, zone, clearText] :
         {std::tuple{"chooseTimeZoneButton", Keys::TimeZone, "Europe/Paris", "Local"},
          std::tuple{"chooseAlternateZoneButton", Keys::AlternateTimeZone, "Asia/Tokyo",
                     "Clear"}}) {
        whenUp<QZTimeZonePanel>([zone = zone](QZTimeZonePanel &chooser) {
            chooser.browser()->setPath(QString("/") + zone);
            chooser.okButton()->click();
        });
        panel->findChild<QPushButton *>(button)->click();
        EXPECT_EQ(clock->clockSettings()->contents().value(key), PropertyList::string(zone));
        whenUp<QZTimeZonePanel>([clearText = clearText](QZTimeZonePanel &chooser) {
            EXPECT_EQ(chooser.clearButton()->text(), clearText);
            chooser.browser()->setPath("/America/Lima");
            chooser.cancelButton()->click();
        });
        panel->findChild<QPushButton *>(button)->click();
        EXPECT_EQ(clock->clockSettings()->contents().value(key), PropertyList::string(zone));
        whenUp<QZTimeZonePanel>([](QZTimeZonePanel &chooser) {
            chooser.clearButton()->click();
            chooser.okButton()->click();
        });
        panel->findChild<QPushButton *>(button)->click();
        EXPECT_FALSE(clock->clockSettings()->contents().contains(key)) << button;
    }
}

// A colour counts as it is picked; Cancel gives back the stored value the colour
// panel opened with (finer than a QColor holds, or none); closing the settings
// panel closes the colour panel and keeps the last colour picked.
TEST(ClockSettingsPanel, AColourCountsAsItIsPickedUntilCancelled)
{
    const auto clock = newClock();
    ClockSettingsPanel *panel = panelOf(*clock);
    const auto hands = [&] { return clock->clockSettings()->contents().value(Keys::HandColor); };
    const auto picked = [&](const QColor &colour) {
        const PropertyList value = PropertyList::data(ColorWell::colorFromDialog(colour).encode());
        ColorWell::sharedColorDialog(false)->setCurrentColor(colour);
        return waitFor([&] { return hands() == value; });
    };
    auto *well = panel->findChild<QPushButton *>("handColorWell");
    for (const PropertyList &before :
         {PropertyList::data(Color::calibratedRGB(0.1234567f, 0.2f, 0.3f, 0.4f).encode()),
          PropertyList()}) {
        clock->clockSettings()->setValue(Keys::HandColor, before);
        well->click();
        ASSERT_TRUE(ColorWell::sharedColorDialog(false)->isVisible());
        QCoreApplication::processEvents();
        EXPECT_EQ(hands(), before) << "opening it picks nothing";
        EXPECT_TRUE(picked(Qt::red));
        ColorWell::sharedColorDialog(false)->reject();
        EXPECT_EQ(hands(), before);
    }
    well->click();
    ASSERT_TRUE(picked(Qt::blue));
    panel->findChild<QPushButton *>("closeButton")->click();
    EXPECT_FALSE(ColorWell::sharedColorDialog(false)->isVisible());
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(hands(), PropertyList::data(ColorWell::colorFromDialog(Qt::blue).encode()));
}

// Where the hands turn on a picture: centred again when one is chosen in the panel,
// kept when one is dropped on the clock, and set by a press, a drag and a release
// after the panel's Calibrate.
TEST(DialOnAPicture, AChosenPictureCentresTheDialADroppedOneKeepsItAndADragDefinesIt)
{
    EXPECT_TRUE(TKWView::acceptsDroppedFiles({QUrl("file:///photos/IMG_0001.JPG")}));
    EXPECT_FALSE(TKWView::acceptsDroppedFiles({QUrl("file:///photos/notes.txt")}));
    EXPECT_FALSE(TKWView::acceptsDroppedFiles({QUrl("file:///a.png"), QUrl("file:///b.png")}));
    Scratch scratch;
    const auto clock = newClock();
    const auto setting = [&clock](const QString &key) {
        return clock->clockSettings()->contents()[key];
    };
    const QString picture = writePicture(scratch.filePath("face.png"), {300, 200}, Qt::blue);
    clock->clockSettings()->setValue(Keys::CenterFactor, PropertyList::string("{0.1, 0.9}"));
    clock->clockSettings()->setValue(Keys::RadiusFactor, PropertyList::real(0.3));
    whenUp<QFileDialog>([&picture](QFileDialog &chooser) {
        chooser.selectFile(picture);
        static_cast<QDialog &>(chooser).accept(); // as its Open button does
    });
    panelOf(*clock)->findChild<QPushButton *>("chooseFaceImageButton")->click();
    EXPECT_FALSE(setting(Keys::FaceImage).isNone());
    EXPECT_EQ(setting(Keys::CenterFactor), PropertyList::string("{0.5, 0.5}"));
    EXPECT_TRUE(setting(Keys::RadiusFactor).isNone());

    clock->clockSettings()->setValue(Keys::UseFaceImage, PropertyList::boolean(false));
    clock->clockSettings()->setValue(Keys::CenterFactor, PropertyList::string("{0.3, 0.7}"));
    clock->showWindow();
    TKWView &view = *clock->clockView();
    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(
        writePicture(scratch.filePath("dropped.png"), {400, 300}, Qt::darkCyan))});
    // As a drag from a file manager comes: it enters, then drops.
    QDragEnterEvent enter({10, 10}, Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&view, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop({10, 10}, Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&view, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(setting(Keys::UseFaceImage), PropertyList::boolean(true));
    EXPECT_EQ(view.bounds().size(), (Size{128, 96}));
    EXPECT_EQ(setting(Keys::CenterFactor), PropertyList::string("{0.3, 0.7}"));

    // Where the release happens does not count: the last drag position does.
    drag(view, {32, 48}, {32, 80}, {100, 10});
    EXPECT_EQ(setting(Keys::CenterFactor), PropertyList::string("{0.25, 0.5}"));
    EXPECT_EQ(setting(Keys::RadiusFactor), PropertyList::real(0.25));
    EXPECT_EQ(view.center(), (Point{32, 48}));
    // A drag past the edge counts as it comes; a click gives no radius factor.
    drag(view, {96, 24}, {-32, 24}, {-32, 24});
    EXPECT_EQ(setting(Keys::CenterFactor), PropertyList::string("{0.75, 0.25}"));
    EXPECT_EQ(setting(Keys::RadiusFactor), PropertyList::real(1.0));
    drag(view, {40, 40}, {40, 40}, {40, 40});
    EXPECT_EQ(setting(Keys::RadiusFactor), PropertyList::real(0.0));
    EXPECT_FALSE(view.isDefiningDial());
}

// A picture moved far from where it was, into the (private) home's pictures folder:
// the clock shows it and its file names it where it is now. Then out of reach: the
// panel names it, and the log once, until it is put back or another is chosen.
TEST(FacePicture, AMovedOneIsFoundAndStoredAgainALostOneIsNamedOnceUntilPutBack)
{
    TKWController::initialize();
    Scratch far;
    const QString deeper = QDir::homePath() + "/Pictures/sub/deeper/face.png";
    const QString file = TKWWindowController::settingsFolder() + "/A.tkw";
    for (const QString &folder :
         {QFileInfo(deeper).path(), QFileInfo(file).path(), far.filePath("a/b")}) {
        ASSERT_TRUE(QDir().mkpath(folder));
    }
    PropertyList::Dictionary settings = TKWWindowController::defaultConfig();
    const QString picture = writePicture(far.filePath("a/b/face.png"), {300, 200}, Qt::blue);
    settings.insert(Keys::FaceImage, PropertyList::data(AliasData::fromPath(picture)->encode()));
    settings.insert(Keys::UseFaceImage, PropertyList::boolean(true));
    ASSERT_TRUE(PropertyListFile::write(file, settings) && QFile::rename(picture, deeper));
    const auto moved = TKWWindowController::initWithSettingsFile(file);
    moved->showWindow();
    EXPECT_EQ(moved->clockView()->faceImage().size(), QSize(300, 200));
    EXPECT_TRUE(waitFor([&] {
        const PropertyList alias = settingsIn(file).value_or(settings)[Keys::FaceImage];
        return alias.asData() && AliasData::decode(*alias.asData())->path() == deeper;
    }));
    static QStringList logged;
    const QtMessageHandler before = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &line) { logged << line; });
    ASSERT_TRUE(QFile::rename(deeper, far.filePath("aside.png"))); // out of reach
    const auto lost = TKWWindowController::initWithSettingsFile(file);
    lost->showWindow();
    auto *shown = panelOf(*lost)->findChild<QLabel *>("missingPictureValue");
    for (const bool use : {false, true}) { // the view reads the picture again
        lost->clockSettings()->setValue(Keys::UseFaceImage, PropertyList::boolean(use));
    }
    qInstallMessageHandler(before);
    EXPECT_EQ(logged.filter("face.png").size(), 1) << logged.join("\n").toStdString();
    EXPECT_TRUE(shown->isVisible() && shown->text() == "Picture not found: face.png");
    ASSERT_TRUE(QFile::rename(far.filePath("aside.png"), deeper)); // found as the panel opens
    EXPECT_TRUE(panelOf(*lost) && !shown->isVisible());
    EXPECT_EQ(lost->clockView()->faceImage().size(), QSize(300, 200));
    bool taken = false;
    lost->takeDroppedPicture(writePicture(far.filePath("new.png"), {9, 9}, Qt::red), &taken);
    EXPECT_TRUE(taken && !shown->isVisible());
    EXPECT_EQ(shown->parentWidget()->findChild<QLabel *>("faceImageValue")->text(),
              far.filePath("new.png"));
}
