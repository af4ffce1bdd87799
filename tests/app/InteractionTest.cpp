// The application's interactive parts: click-through and its status item, the New
// Clock panel, a start without arguments, and the clock list.

#include "Support.h"
#include "app/TKWApplication.h"
#include "app/TKWController.h"
#include "clockview/TKWView.h"
#include "settings/SettingsKeys.h"
#include "store/UserDefaults.h"
#include "time/SecondTimer.h"
#include "time/TimeZone.h"
#include "window/ClockSettingsPanel.h"
#include "window/TKWWindow.h"
#include "window/TKWWindowController.h"

#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSystemTrayIcon>

#include <ctime>

using namespace tockwise;

namespace {

// Answers the alerts that show, as a user does; how many there were.
int answerAlerts()
{
    QCoreApplication::processEvents();
    int answered = 0;
    for (QMessageBox *alert; (alert = shownWindow<QMessageBox>()); ++answered) {
        alert->buttons().first()->click();
    }
    return answered;
}

class Interaction : public ::testing::Test
{
protected:
    void SetUp() override
    {
        UserDefaults::standard().setBool(Keys::Converted, true);
        controller.awakeFromNib();
        controller.setTrayAvailability([this] { return tray; });
    }
    InstanceReply command(QStringList arguments)
    {
        arguments.prepend("tockwise");
        return controller.handleCommand(arguments);
    }
    const PropertyList::Dictionary &lastClock() const
    {
        return controller.clocks().back()->clockSettings()->contents();
    }

    bool tray = true;
    TKWController controller;
};

} // namespace

TEST_F(Interaction, TheStatusItemComesAndGoesWithClickThrough)
{
    controller.establishStatusItem();
    int explained = answerAlerts();
    QSystemTrayIcon *item = controller.statusItem();
    ASSERT_NE(item, nullptr);
    controller.establishStatusItem(); // twice: still one item, one explanation
    EXPECT_EQ(controller.statusItem(), item);
    controller.removeStatusItem();
    controller.removeStatusItem();
    EXPECT_EQ(controller.statusItem(), nullptr);

    command({"--click-through", "on"});
    EXPECT_TRUE(UserDefaults::standard().boolForKey(Keys::ClickThrough));
    EXPECT_NE(controller.statusItem(), nullptr);
    command({"--click-through", "toggle"});
    EXPECT_FALSE(UserDefaults::standard().boolForKey(Keys::ClickThrough));
    EXPECT_EQ(controller.statusItem(), nullptr);
    // Clicking the item switches click-through off and takes the item away.
    // The item outlives its own activation, whose handler may still use it.
    controller.toggleClickThrough();
    const QPointer<QSystemTrayIcon> clicked = controller.statusItem();
    ASSERT_NE(clicked, nullptr);
    Q_EMIT clicked->activated(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(UserDefaults::standard().boolForKey(Keys::ClickThrough));
    EXPECT_EQ(controller.statusItem(), nullptr);
    EXPECT_NE(clicked, nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(clicked, nullptr);

    explained += answerAlerts();
    EXPECT_EQ(explained, 1); // the explanation is given once
}

TEST_F(Interaction, WithoutATrayTheExplanationComesEachTimeAndAStartSwitchesItOff)
{
    tray = false;
    controller.toggleClickThrough();
    int explained = answerAlerts();
    controller.toggleClickThrough();
    controller.toggleClickThrough();
    explained += answerAlerts();
    EXPECT_EQ(explained, 2);
    ASSERT_TRUE(UserDefaults::standard().boolForKey(Keys::ClickThrough));
    // Starting Tockwise again with no arguments gets the user out of it.
    EXPECT_EQ(command({}).exitCode, 0);
    EXPECT_FALSE(UserDefaults::standard().boolForKey(Keys::ClickThrough));
    // And otherwise offers a new clock.
    command({});
    ASSERT_NE(controller.newClockPanel(), nullptr);
    EXPECT_TRUE(controller.newClockPanel()->isVisible());
}

// The clock's menu and its settings panel's buttons, clicked as a user clicks them.
TEST_F(Interaction, TheClocksMenuAndPanelButtonsDoWhatTheySay)
{
    const auto first = controller.addClock(TKWWindowController::initWithTimeZoneName("UTC"));
    const auto second = controller.addClock(TKWWindowController::initWithTimeZoneName("UTC"));
    first->showWindow();
    second->showWindow();
    const auto choose = [&](TKWWindowController *clock, const QString &item) {
        controller.showMenu(clock, {});
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        for (QAction *action : menu ? menu->actions() : QList<QAction *>()) {
            if (action->text() == item) {
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
                return true;
            }
        }
        return false;
    };
    const UserDefaults &defaults = UserDefaults::standard();
    ASSERT_TRUE(choose(first.get(), "Keep on Desktop"));
    EXPECT_EQ(defaults.integerForKey(Keys::WindowLevel), 1);
    EXPECT_TRUE(first->window()->windowFlags() & Qt::WindowStaysOnBottomHint);
    ASSERT_TRUE(choose(first.get(), "Show on All Workspaces"));
    EXPECT_TRUE(defaults.boolForKey(Keys::AllSpaces));
    ASSERT_TRUE(choose(first.get(), "Start at Login"));
    EXPECT_TRUE(qobject_cast<TKWApplication *>(qApp)->autoLaunch());

    ASSERT_TRUE(choose(first.get(), "Settings…"));
    ClockSettingsPanel *panel = shownWindow<ClockSettingsPanel>();
    ASSERT_TRUE(panel && panel->settings() == first->clockSettings());
    first->clockSettings()->setValue(Keys::CenterFactor, PropertyList::string("{0.3, 0.6}"));
    panel->findChild<QPushButton *>("resetHandsButton")->click();
    EXPECT_EQ(first->clockSettings()->contents().value(Keys::CenterFactor),
              PropertyList::string("{0.5, 0.5}"));
    // After Calibrate Hands, a press on the clock begins a dial instead of a move.
    panel->findChild<QPushButton *>("calibrateHandsButton")->click();
    QTest::mousePress(first->clockView(), Qt::LeftButton, {}, {30, 30});
    EXPECT_TRUE(first->clockView()->isDefiningDial());
    QTest::mouseRelease(first->clockView(), Qt::LeftButton, {}, {40, 30});

    // One of two clocks goes without a question; the last only when the user says.
    ASSERT_TRUE(choose(second.get(), "Remove Clock"));
    EXPECT_EQ(controller.numberOfClocks(), 1u);
    EXPECT_FALSE(QFile::exists(second->settingsFile()));
    for (const Qt::Key answer : {Qt::Key_Escape, Qt::Key_Return}) { // No, then Yes
        whenUp<QMessageBox>([answer](QMessageBox &alert) { QTest::keyClick(&alert, answer); });
        ASSERT_TRUE(choose(first.get(), "Remove Clock"));
        EXPECT_EQ(controller.numberOfClocks(), answer == Qt::Key_Return ? 0u : 1u);
        EXPECT_EQ(QFile::exists(first->settingsFile()), answer == Qt::Key_Escape);
    }
    first->applicationWillTerminate(); // the quit that follows brings nothing back
    EXPECT_FALSE(QFile::exists(first->settingsFile()));
}

TEST_F(Interaction, TheNewClockPanelMakesClocksOnlyForZones)
{
    controller.showNewClockPanel();
    ColumnBrowser &browser = *controller.zoneBrowser();

    controller.clearTimeZone();
    controller.createNewClock();
    ASSERT_EQ(controller.numberOfClocks(), 1u);
    EXPECT_FALSE(lastClock().contains(Keys::TimeZone));
    EXPECT_FALSE(controller.newClockPanel()->isVisible());

    // A region alone names no zone: nothing is made for it.
    browser.setPath("/Europe");
    controller.createNewClock();
    EXPECT_EQ(controller.numberOfClocks(), 1u);

    browser.setPath("/America/Argentina/Buenos_Aires");
    controller.createNewClock();
    ASSERT_EQ(controller.numberOfClocks(), 2u);
    EXPECT_EQ(lastClock().value(Keys::TimeZone),
              PropertyList::string("America/Argentina/Buenos_Aires"));
    // The selection stays for the next time.
    EXPECT_EQ(browser.path(), "/America/Argentina/Buenos_Aires");

    // Found by typing into the search, which has the keys; Return makes the clock.
    controller.showNewClockPanel();
    QLineEdit *field = controller.zoneSearch()->field();
    ASSERT_TRUE(waitFor([&] { return QApplication::focusWidget() == field; }));
    QTest::keyClicks(field, "kolkata");
    EXPECT_EQ(browser.path(), "/Asia/Kolkata");
    QTest::keyClick(field, Qt::Key_Return);
    ASSERT_EQ(controller.numberOfClocks(), 3u);
    EXPECT_EQ(lastClock().value(Keys::TimeZone), PropertyList::string("Asia/Kolkata"));
    EXPECT_FALSE(controller.newClockPanel()->isVisible());
}

TEST(ClockList, QuitsAfterTheEventThatRemovedTheLastClock)
{
    UserDefaults::standard().setBool(Keys::Converted, true);
    TKWController controller;
    const auto first = controller.addClock(TKWWindowController::initWithTimeZoneName("UTC"));
    const auto second = controller.addClock(TKWWindowController::initWithTimeZoneName("UTC"));
    bool handledInFull = false;
    QTimer::singleShot(0, qApp, [&] {
        controller.removeClock(first.get());
        controller.removeClock(first.get()); // no longer in the list: nothing changes
        EXPECT_EQ(controller.numberOfClocks(), 1u);
        controller.removeClock(second.get());
        handledInFull = true;
    });
    QTimer::singleShot(30s, qApp, [] { QCoreApplication::exit(1); }); // only against hanging
    EXPECT_EQ(QCoreApplication::exec(), 0) << "quits";
    EXPECT_TRUE(handledInFull);
}

// A clock without seconds sleeps for up to a minute; a new system zone or a set
// system clock must show at once all the same.
TEST(Ticks, ASleepingClockWakesAtOnceForANewSystemZoneOrASetSystemClock)
{
    using namespace std::chrono;
    UserDefaults::standard().setBool(Keys::Converted, true);
    Scratch dir;
    const QString link = dir.filePath("localtime");
    ASSERT_TRUE(QFile::link("/usr/share/zoneinfo/Asia/Tokyo", link));
    TimeZone::setHostZoneFiles(link, dir.filePath("timezone"));
    const std::shared_ptr<void> restore(
        nullptr, [](void *) { TimeZone::setHostZoneFiles("/etc/localtime", "/etc/timezone"); });
    const Instant start = utc(12, 6, 10, 0, 1);
    PinnedTime now(start);
    TKWController controller;
    controller.awakeFromNib();
    controller.applicationDidFinishLaunching();
    ASSERT_EQ(controller.numberOfClocks(), 1u);
    const SecondTimer &timer = controller.timer();
    // The stock clock shows seconds: shown, it ticks on its own.
    ASSERT_TRUE(waitFor([&] { return timer.wakeCount() >= 2; }));
    const auto &clock = controller.clocks().front();
    clock->clockSettings()->setValue(Keys::ShowSeconds, PropertyList::boolean(false));
    clock->clockSettings()->setValue(Keys::DigitalClock, PropertyList::boolean(true));
    const TKWView *view = clock->clockView();
    // Asleep until the pinned minute turns, 59 s on: longer than any wait below.
    const auto asleep = [&] {
        return timer.deadline() && *timer.deadline() - system_clock::now() > 40s;
    };
    ASSERT_TRUE(waitFor(asleep));

    ASSERT_TRUE(QFile::remove(link));
    ASSERT_TRUE(QFile::link("/usr/share/zoneinfo/Europe/Paris", link));
    EXPECT_TRUE(waitFor([&] { return view->secondOfDay() == 11 * 3600 + 1; }));
    EXPECT_EQ(timer.lastCause(), SecondTimer::Cause::Asked);

    ASSERT_TRUE(waitFor(asleep));
    now.set(start + hours(1));
    timespec wall{};
    clock_gettime(CLOCK_REALTIME, &wall);
    // Set to what it reads: the kernel tells every watcher all the same.
    if (clock_settime(CLOCK_REALTIME, &wall) != 0) {
        GTEST_SKIP() << "setting the system clock needs CAP_SYS_TIME";
    }
    EXPECT_TRUE(waitFor([&] { return view->secondOfDay() == 12 * 3600 + 1; }));
    EXPECT_EQ(timer.lastCause(), SecondTimer::Cause::ClockSet);
}
