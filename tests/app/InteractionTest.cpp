// The application's interactive commands: new clocks, click-through and its
// status item, and what a later start asks of the running instance.

#include "app/TKWController.h"
#include "platform/UserDefaults.h"
#include "settings/SettingsKeys.h"
#include "window/TKWWindow.h"
#include "window/TKWWindowController.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

QList<QMessageBox *> shownAlerts()
{
    QList<QMessageBox *> alerts;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *alert = qobject_cast<QMessageBox *>(widget); alert && alert->isVisible()) {
            alerts.append(alert);
        }
    }
    return alerts;
}

// Closes every alert that shows up while it lives, and counts them.
class AlertCounter
{
public:
    AlertCounter()
    {
        mTimer.setInterval(10);
        QObject::connect(&mTimer, &QTimer::timeout, [this] {
            for (QMessageBox *alert : shownAlerts()) {
                ++count;
                alert->buttons().first()->click();
            }
        });
        mTimer.start();
    }
    int count = 0;

private:
    QTimer mTimer;
};

// Runs the queued events, then the event loop until the alert counter has
// answered every alert shown.
bool alertsAnswered()
{
    const QDeadlineTimer deadline(30'000);
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    } while (!shownAlerts().isEmpty() && !deadline.hasExpired());
    return shownAlerts().isEmpty();
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
        arguments.prepend(QStringLiteral("tockwise"));
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

TEST_F(Interaction, NewClockForAZoneOrLocal)
{
    EXPECT_EQ(command({QStringLiteral("--new-clock"), QStringLiteral("Europe/Paris")}).exitCode, 0);
    ASSERT_EQ(controller.numberOfClocks(), 1u);
    EXPECT_EQ(lastClock().value(Keys::TimeZone),
              PropertyList::string(QStringLiteral("Europe/Paris")));
    EXPECT_EQ(lastClock().value(Keys::Local), PropertyList::boolean(false));
    EXPECT_EQ(lastClock().value(Keys::ShowTimeZone).boolValue(), true);
    EXPECT_TRUE(controller.clocks().back()->window()->isVisible());

    EXPECT_EQ(command({QStringLiteral("--new-clock")}).exitCode, 0);
    ASSERT_EQ(controller.numberOfClocks(), 2u);
    EXPECT_FALSE(lastClock().contains(Keys::TimeZone));

    const InstanceReply unknown =
        command({QStringLiteral("--new-clock"), QStringLiteral("Mars/Olympus_Mons")});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.output.contains(QStringLiteral("Mars/Olympus_Mons")));
    EXPECT_FALSE(unknown.output.trimmed().contains(u'\n'));
    EXPECT_EQ(controller.numberOfClocks(), 2u);
}

TEST_F(Interaction, TheStatusItemComesAndGoesWithClickThrough)
{
    AlertCounter alerts;
    controller.establishStatusItem();
    QSystemTrayIcon *item = controller.statusItem();
    ASSERT_NE(item, nullptr);
    controller.establishStatusItem(); // twice: still one item, one explanation
    EXPECT_EQ(controller.statusItem(), item);
    controller.removeStatusItem();
    controller.removeStatusItem();
    EXPECT_EQ(controller.statusItem(), nullptr);

    command({QStringLiteral("--click-through"), QStringLiteral("on")});
    EXPECT_TRUE(UserDefaults::standard().boolForKey(Keys::ClickThrough));
    EXPECT_NE(controller.statusItem(), nullptr);
    command({QStringLiteral("--click-through"), QStringLiteral("toggle")});
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

    ASSERT_TRUE(alertsAnswered());
    EXPECT_EQ(alerts.count, 1); // the explanation is given once
}

TEST_F(Interaction, WithoutATrayTheExplanationComesEachTimeAndAStartSwitchesItOff)
{
    tray = false;
    AlertCounter alerts;
    controller.toggleClickThrough();
    ASSERT_TRUE(alertsAnswered());
    controller.toggleClickThrough();
    controller.toggleClickThrough();
    ASSERT_TRUE(alertsAnswered());
    EXPECT_EQ(alerts.count, 2);
    ASSERT_TRUE(UserDefaults::standard().boolForKey(Keys::ClickThrough));
    // Starting Tockwise again with no arguments gets the user out of it.
    EXPECT_EQ(command({}).exitCode, 0);
    EXPECT_FALSE(UserDefaults::standard().boolForKey(Keys::ClickThrough));
    // And otherwise offers a new clock.
    command({});
    ASSERT_NE(controller.newClockPanel(), nullptr);
    EXPECT_TRUE(controller.newClockPanel()->isVisible());
}

TEST_F(Interaction, TheNewClockPanelMakesClocksOnlyForZones)
{
    controller.showNewClockPanel();
    ColumnBrowser &browser = *controller.zoneBrowser();

    controller.clearTimeZone();
    controller.createNewClock();
    ASSERT_EQ(controller.numberOfClocks(), 1u);
    EXPECT_FALSE(lastClock().contains(Keys::TimeZone));
    EXPECT_EQ(lastClock().value(Keys::Local), PropertyList::boolean(true));
    EXPECT_EQ(lastClock().value(Keys::ShowTimeZone).boolValue(), false);
    EXPECT_FALSE(controller.newClockPanel()->isVisible());

    // A region alone names no zone: nothing is made for it.
    browser.setPath(QStringLiteral("/Europe"));
    controller.createNewClock();
    EXPECT_EQ(controller.numberOfClocks(), 1u);

    browser.setPath(QStringLiteral("/America/Argentina/Buenos_Aires"));
    controller.createNewClock();
    ASSERT_EQ(controller.numberOfClocks(), 2u);
    EXPECT_EQ(lastClock().value(Keys::TimeZone),
              PropertyList::string(QStringLiteral("America/Argentina/Buenos_Aires")));
    // The selection stays for the next time.
    EXPECT_EQ(browser.path(), QStringLiteral("/America/Argentina/Buenos_Aires"));
}

TEST_F(Interaction, TheBrowserWalksTheZoneTree)
{
    controller.showNewClockPanel();
    const ColumnBrowser &browser = *controller.zoneBrowser();
    const int regions = controller.browserNumberOfRowsInColumn(browser, 0);
    QStringList firstColumn;
    for (int row = 0; row < regions; ++row) {
        BrowserCell cell;
        controller.browserWillDisplayCell(browser, cell, row, 0);
        firstColumn << cell.stringValue;
        if (cell.stringValue == u"GMT") {
            EXPECT_TRUE(cell.leaf);
        }
        if (cell.stringValue == u"Europe") {
            EXPECT_FALSE(cell.leaf);
        }
    }
    // By character value: GMT among the regions by its letters.
    QStringList sorted = firstColumn;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(firstColumn, sorted);
    EXPECT_LT(firstColumn.indexOf(QStringLiteral("Europe")),
              firstColumn.indexOf(QStringLiteral("GMT")));
    EXPECT_LT(firstColumn.indexOf(QStringLiteral("GMT")),
              firstColumn.indexOf(QStringLiteral("Indian")));
}
