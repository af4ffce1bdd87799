// Clocks on a desktop of two monitors (Qt's offscreen platform configured with
// two screens side by side): a clock comes back on the monitor it was left on,
// and one left on a monitor that has since gone comes back where it can be seen.

#include "TestClockList.h"
#include "app/TKWController.h"
#include "clockview/TKWView.h"
#include "window/ApplicationDelegate.h"
#include "window/FrameAutosave.h"
#include "window/TKWWindow.h"
#include "window/TKWWindowController.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

namespace {

using Clocks = TestClockList;

class TwoMonitors : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TKWController::initialize();
        QDir().mkpath(TKWWindowController::settingsFolder());
        ASSERT_EQ(QGuiApplication::screens().size(), 2) << "the offscreen screen set-up is missing";
    }

    // Shows a clock whose frame was kept at `saved` and gives the window's place
    // in Qt's own (y-down) screen coordinates.
    QRect shownAfterKeeping(const Rect &saved)
    {
        const auto clock = TKWWindowController::initWithTimeZoneName(QStringLiteral("UTC"));
        FrameAutosave::save(clock->frameAutosaveName(), saved);
        clock->showWindow();
        const QRect shown = clock->window()->geometry();
        clock->window()->hide();
        return shown;
    }

    Clocks clocks;
};

} // namespace

TEST_F(TwoMonitors, AClockStaysOnTheMonitorItWasLeftOn)
{
    // y-up from the bottom of the 800-point primary: 400 up is 272 down from its top.
    const QRect shown = shownAfterKeeping({1500, 400, 128, 128});
    EXPECT_EQ(shown, QRect(1500, 272, 128, 128));
    EXPECT_EQ(QGuiApplication::screenAt(shown.center())->name(), QStringLiteral("right"));
}

TEST_F(TwoMonitors, AClockLeftOnAMonitorThatIsGoneComesBackInSight)
{
    for (const Rect &saved :
         {Rect{3000, 400, 128, 128}, Rect{1500, -900, 128, 128}, Rect{-2000, 100, 128, 128}}) {
        const QRect shown = shownAfterKeeping(saved);
        const QScreen *screen = QGuiApplication::screenAt(shown.center());
        ASSERT_NE(screen, nullptr) << saved.x << ", " << saved.y;
        EXPECT_TRUE(screen->availableGeometry().contains(shown)) << saved.x << ", " << saved.y;
    }
}
