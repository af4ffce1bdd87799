// The clock window and the three settings all clocks share.

#include "window/TKWWindow.h"

#include "platform/UserDefaults.h"
#include "settings/SettingsKeys.h"

#include <QWindow>

#include <gtest/gtest.h>

#include <memory>

TEST(TKWWindow, IsAFramelessTransparentToolWindow)
{
    TKWWindow window(new QWidget);
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::Tool)); // no taskbar entry
    EXPECT_TRUE(window.testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_EQ(window.level(), TKWWindow::Level::Floating);
    EXPECT_FALSE(window.ignoresMouseEvents());
    window.show();
    window.resize(96, 128);
    EXPECT_EQ(window.content()->geometry(), QRect(0, 0, 96, 128));
}

TEST(TKWWindow, StartsWithTheSharedSettings)
{
    UserDefaults &defaults = UserDefaults::standard();
    defaults.setInteger(Keys::WindowLevel, 3); // any value but 0: the desktop
    defaults.setBool(Keys::ClickThrough, true);
    defaults.setBool(Keys::AllSpaces, true);
    TKWWindow window;
    EXPECT_EQ(window.level(), TKWWindow::Level::DesktopIcons);
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnBottomHint));
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.ignoresMouseEvents());
    EXPECT_TRUE(window.isOnAllWorkspaces());
}

TEST(TKWWindow, FollowsTheSharedSettingsWhileItLivesAndNoLonger)
{
    UserDefaults &defaults = UserDefaults::standard();
    auto window = std::make_unique<TKWWindow>();
    window->show();
    defaults.setBool(Keys::ClickThrough, true);
    EXPECT_TRUE(window->ignoresMouseEvents());
    EXPECT_TRUE(window->windowHandle()->flags().testFlag(Qt::WindowTransparentForInput));
    defaults.setBool(Keys::ClickThrough, false);
    EXPECT_FALSE(window->ignoresMouseEvents());
    EXPECT_FALSE(window->windowHandle()->flags().testFlag(Qt::WindowTransparentForInput));
    EXPECT_TRUE(window->isVisible()); // changed in place, not hidden and shown again

    defaults.setInteger(Keys::WindowLevel, 1);
    EXPECT_EQ(window->level(), TKWWindow::Level::DesktopIcons);
    defaults.setInteger(Keys::WindowLevel, 0);
    EXPECT_EQ(window->level(), TKWWindow::Level::Floating);

    defaults.setBool(Keys::AllSpaces, true);
    EXPECT_TRUE(window->isOnAllWorkspaces());
    defaults.setBool(Keys::AllSpaces, false);
    defaults.setBool(Keys::AllSpaces, true);
    EXPECT_TRUE(window->isOnAllWorkspaces());

    window.reset();
    defaults.setBool(Keys::ClickThrough, true); // reaches no destroyed window
    defaults.setInteger(Keys::WindowLevel, 1);
}
