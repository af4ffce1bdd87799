// A clock as its controller runs it: its settings file, written at once, after a
// change and removed; its window's place on one monitor or two, its shape without a
// compositor and the settings all clock windows share; and its settings panel.

#include "Support.h"
#include "app/TKWController.h"
#include "clockview/TKWView.h"
#include "desktop/CompositingWatch.h"
#include "settings/ClockDefaults.h"
#include "settings/SettingsKeys.h"
#include "store/UserDefaults.h"
#include "time/TimeSource.h"
#include "tzpanel/QZTimeZonePanel.h"
#include "widgets/ColorWell.h"
#include "window/ClockSettingsPanel.h"
#include "window/FrameAutosave.h"
#include "window/ObjectController.h"
#include "window/TKWWindow.h"
#include "window/TKWWindowController.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QWindow>

namespace {

std::shared_ptr<TKWWindowController> newClock(const QString &zone = "UTC")
{
    TKWController::initialize();
    return TKWWindowController::initWithTimeZoneName(zone);
}

// Does `whileUp` once a modal window of the kind is up; it is to end it.
template <class Modal> void whenUp(const std::function<void(Modal &)> &whileUp)
{
    QTimer::singleShot(0, [whileUp] {
        auto *modal = qobject_cast<Modal *>(QApplication::activeModalWidget());
        modal ? whileUp(*modal) : whenUp<Modal>(whileUp); // not up yet: again
    });
}

// The settings panel of a clock, as the clock opens it.
ClockSettingsPanel *panelOf(TKWWindowController &clock)
{
    clock.showSettingsPanel();
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *panel = qobject_cast<ClockSettingsPanel *>(widget);
        if (panel && panel->settings() == clock.clockSettings()) {
            return panel;
        }
    }
    return nullptr;
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
        size->setValue(512); // steps of 4 points, up to the largest clock
        return PropertyList::real(2048);
    }
    if (auto *combo = qobject_cast<QComboBox *>(control)) {
        combo->setCurrentIndex(3);
        return PropertyList::integer(3);
    }
    if (auto *well = qobject_cast<ColorWell *>(control)) {
        well->click();
        ColorWell::sharedColorDialog(false)->setCurrentColor(QColor(51, 102, 153, 128));
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

TEST(ClockFile, TheLastClockGoesOnlyWhenTheUserSaysYes)
{
    TKWController list;
    const auto clock = list.addClock(newClock());
    clock->showWindow();
    for (const Qt::Key answer : {Qt::Key_Escape, Qt::Key_Return}) { // No, then Yes
        EXPECT_TRUE(QFile::exists(clock->settingsFile()));
        whenUp<QMessageBox>([answer](QMessageBox &alert) { QTest::keyClick(&alert, answer); });
        Q_EMIT clock->removalRequested(); // as the settings panel's button does
        EXPECT_EQ(list.numberOfClocks(), answer == Qt::Key_Return ? 0u : 1u);
    }
    clock->applicationWillTerminate(); // the quit that follows brings nothing back
    EXPECT_FALSE(QFile::exists(clock->settingsFile()));
}

// Without a compositor nothing blends the window with the desktop: it is cut to
// what it paints, from before it is first shown and tick by tick.
TEST(ClockFile, WithoutACompositorTheWindowIsCutToWhatItPaints)
{
    using namespace std::chrono;
    Instant instant = sys_days(year(2026) / 12 / 6) + hours(10) + minutes(59) + seconds(50);
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
    // A transparent face leaves the marks and hands, across a turn of the hour.
    clock->clockSettings()->setValue(Keys::Opacity, PropertyList::real(0));
    for (int second = 0; second < 15; ++second) {
        instant += seconds(1);
        clock->clockView()->timerFired();
        ASSERT_TRUE(waitFor(cutAsPainted)) << second;
    }
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
    EXPECT_EQ(keys.size(), 24); // every setting but the dial's place, set on the clock itself
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

TEST(ClockSettingsPanel, TheZoneButtonsStoreTheChosenZoneAndClearRemovesIt)
{
    const auto clock = newClock();
    ClockSettingsPanel *panel = panelOf(*clock);
    for (const auto &[button, key, zone] :
         {std::tuple{"chooseTimeZoneButton", Keys::TimeZone, "Europe/Paris"},
          std::tuple{"chooseAlternateZoneButton", Keys::AlternateTimeZone, "Asia/Tokyo"}}) {
        whenUp<QZTimeZonePanel>([zone = zone](QZTimeZonePanel &chooser) {
            chooser.browser()->setPath(QString("/") + zone);
            chooser.okButton()->click();
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

TEST(ClockSettingsPanel, ClosingItClosesItsColourPanel)
{
    const auto clock = newClock();
    ClockSettingsPanel *panel = panelOf(*clock);
    panel->findChild<QPushButton *>("handColorWell")->click();
    ASSERT_TRUE(ColorWell::sharedColorDialog(false)->isVisible());
    panel->findChild<QPushButton *>("closeButton")->click();
    EXPECT_FALSE(ColorWell::sharedColorDialog(false)->isVisible());
    EXPECT_FALSE(panel->isVisible());
}

TEST(ClockSettingsPanel, ChoosingAFacePictureCentresTheDialAgain)
{
    const auto clock = newClock();
    Scratch scratch;
    const QString picture = writePicture(scratch.filePath("face.png"), {300, 200}, Qt::blue);
    clock->clockSettings()->setValue(Keys::CenterFactor, PropertyList::string("{0.1, 0.9}"));
    clock->clockSettings()->setValue(Keys::RadiusFactor, PropertyList::real(0.3));
    whenUp<QFileDialog>([&picture](QFileDialog &chooser) {
        chooser.selectFile(picture);
        static_cast<QDialog &>(chooser).accept(); // as its Open button does
    });
    panelOf(*clock)->findChild<QPushButton *>("chooseFaceImageButton")->click();
    const PropertyList::Dictionary settings = clock->clockSettings()->contents();
    EXPECT_TRUE(settings.contains(Keys::FaceImage));
    EXPECT_EQ(settings.value(Keys::CenterFactor), PropertyList::string("{0.5, 0.5}"));
    EXPECT_FALSE(settings.contains(Keys::RadiusFactor));
}

// Where the hands turn on a picture: kept when a picture is dropped on the clock, and
// set by a press, a drag and a release after the panel's Calibrate.
TEST(DialOnAPicture, ADroppedPictureKeepsTheDialWhichADragDefinesAndResetCentres)
{
    EXPECT_TRUE(TKWView::acceptsDroppedFiles({QUrl("file:///photos/IMG_0001.JPG")}));
    EXPECT_FALSE(TKWView::acceptsDroppedFiles({QUrl("file:///photos/notes.txt")}));
    EXPECT_FALSE(TKWView::acceptsDroppedFiles({QUrl("file:///a.png"), QUrl("file:///b.png")}));
    Scratch scratch;
    const auto clock = newClock();
    const auto setting = [&clock](const QString &key) {
        return clock->clockSettings()->contents()[key];
    };
    clock->clockSettings()->setValue(Keys::CenterFactor, PropertyList::string("{0.3, 0.7}"));
    clock->showWindow();
    TKWView &view = *clock->clockView();
    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(
        writePicture(scratch.filePath("face.png"), {400, 300}, Qt::darkCyan))});
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
    clock->resetHandLocation();
    EXPECT_EQ(setting(Keys::CenterFactor), PropertyList::string("{0.5, 0.5}"));
    EXPECT_TRUE(setting(Keys::RadiusFactor).isNone());
}
