// The window-system platform chosen from the session's variables.

#include "app/DisplayPlatform.h"

#include "Support.h"

#include <QMap>

using namespace tockwise;

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

TEST(DisplayPlatform, SharedMemoryIsLeftOffForSmallClocksUnlessTheUserSaysOtherwise)
{
    using Sizes = std::vector<float>;
    const float inf = std::numeric_limits<float>::infinity();
    const std::tuple<QByteArray, Sizes, bool> rows[] = {
        {{}, {128, 128, 256}, true}, {{}, {}, true},
        {{}, {128, 512}, false},     {{}, {128, inf}, false}, // a picture face
        {"", {128}, false},                                   // set, though empty: the user's word
        {"1", {1024}, false},
    };
    for (const auto &[variable, sizes, avoid] : rows) {
        const auto environment = [&variable](const char *name) {
            return QByteArray(name) == "QT_XCB_NO_MITSHM" ? variable : QByteArray();
        };
        EXPECT_EQ(DisplayPlatform::avoidSharedMemory(environment, sizes), avoid)
            << variable.isNull() << sizes.size();
    }
}
