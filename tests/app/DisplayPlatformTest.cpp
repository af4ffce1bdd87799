// The window-system platform chosen from the session's variables.

#include "app/DisplayPlatform.h"

#include <QMap>

#include <gtest/gtest.h>

namespace {

DisplayPlatform::Choice chooseIn(const QMap<QByteArray, QByteArray> &variables)
{
    return DisplayPlatform::choose(
        [&variables](const char *name) { return variables.value(QByteArray(name)); });
}

} // namespace

TEST(DisplayPlatform, WaylandSessionsRunThroughXWaylandWhenItIsThere)
{
    using DisplayPlatform::Notice;
    for (const QMap<QByteArray, QByteArray> &session :
         {QMap<QByteArray, QByteArray>{{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}},
          QMap<QByteArray, QByteArray>{{"XDG_SESSION_TYPE", "wayland"}, {"DISPLAY", ":1"}}}) {
        const DisplayPlatform::Choice choice = chooseIn(session);
        EXPECT_EQ(choice.platform, "xcb");
        EXPECT_EQ(choice.notice, Notice::ThroughXWayland);
    }

    const DisplayPlatform::Choice alone = chooseIn({{"WAYLAND_DISPLAY", "wayland-0"}});
    EXPECT_TRUE(alone.platform.isEmpty());
    EXPECT_EQ(alone.notice, Notice::WaylandOnly);
    EXPECT_FALSE(DisplayPlatform::noticeText(Notice::WaylandOnly).isEmpty());
}

TEST(DisplayPlatform, X11SessionsAndTheUsersOwnChoiceAreLeftAlone)
{
    using DisplayPlatform::Notice;
    for (const QMap<QByteArray, QByteArray> &session :
         {QMap<QByteArray, QByteArray>{{"DISPLAY", ":0"}, {"XDG_SESSION_TYPE", "x11"}},
          QMap<QByteArray, QByteArray>{},
          QMap<QByteArray, QByteArray>{{"WAYLAND_DISPLAY", "wayland-0"},
                                       {"DISPLAY", ":0"},
                                       {"QT_QPA_PLATFORM", "wayland"}}}) {
        const DisplayPlatform::Choice choice = chooseIn(session);
        EXPECT_TRUE(choice.platform.isEmpty());
        EXPECT_EQ(choice.notice, Notice::None);
        EXPECT_TRUE(DisplayPlatform::noticeText(choice.notice).isEmpty());
    }
}
