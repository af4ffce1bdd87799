// The window-system platform chosen from the session's variables.

#include "app/DisplayPlatform.h"

#include "Support.h"

#include <QMap>

TEST(DisplayPlatform, WaylandSessionsRunThroughXWaylandWhenItIsThereAndOthersAreLeftAlone)
{
    using DisplayPlatform::Notice;
    using Session = QMap<QByteArray, QByteArray>;
    const std::tuple<Session, const char *, Notice> rows[] = {
        {{{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}}, "xcb", Notice::ThroughXWayland},
        {{{"XDG_SESSION_TYPE", "wayland"}, {"DISPLAY", ":1"}}, "xcb", Notice::ThroughXWayland},
        {{{"WAYLAND_DISPLAY", "wayland-0"}}, "", Notice::WaylandOnly},
        {{{"DISPLAY", ":0"}, {"XDG_SESSION_TYPE", "x11"}}, "", Notice::None},
        {{}, "", Notice::None},
        {{{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "wayland"}},
         "",
         Notice::None},
    };
    for (const auto &[session, platform, notice] : rows) {
        const DisplayPlatform::Choice choice = DisplayPlatform::choose(
            [&session](const char *name) { return session.value(QByteArray(name)); });
        EXPECT_EQ(choice.platform, QByteArray(platform)) << session.keys().join(' ').data();
        EXPECT_EQ(choice.notice, notice) << session.keys().join(' ').data();
        EXPECT_EQ(DisplayPlatform::noticeText(notice).isEmpty(), notice == Notice::None);
    }
}
