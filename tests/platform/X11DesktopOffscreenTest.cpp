#include "platform/X11Desktop.h"

#include <QWindow>

#include <gtest/gtest.h>

TEST(X11DesktopOffscreenTest, EverythingIsHarmlessWithoutX11)
{
    ASSERT_FALSE(X11Desktop::isX11());
    QWindow window;
    X11Desktop::setOnAllWorkspaces(&window, true);
    X11Desktop::setSkipTaskbar(&window);
    window.show();
    X11Desktop::setOnAllWorkspaces(&window, false);
    X11Desktop::setOnAllWorkspaces(nullptr, true);
    EXPECT_EQ(X11Desktop::workspaceOf(&window), std::nullopt);
    EXPECT_TRUE(X11Desktop::netWmState(&window).isEmpty());
    EXPECT_TRUE(window.children().isEmpty()) << "nothing to remember off X11";
}
