// The window-system platform chosen from the session's variables.

#include "app/DisplayPlatform.h"

#include "Support.h"

#include <QMap>

using namespace tockwise;

TEST(DisplayPlatform, LayersWhereOfferedThenXWaylandThenWaylandAloneAndAClearEndWithoutEither)
{
    using DisplayPlatform::Notice;
    using Session = QMap<QByteArray, QByteArray>;
    const Session wayland{{"WAYLAND_DISPLAY", "wayland-0"}};
    const Session both{{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}};
    const Session xcbAsked{{"QT_QPA_PLATFORM", "xcb"}, {"WAYLAND_DISPLAY", "wayland-0"}};
    // The session's variables, whether the compositor offers layers and Qt's
    // Wayland platform is installed; the platform, what is said, layers or not.
    const std::tuple<Session, bool, bool, const char *, Notice, bool> rows[] = {
        {both, true, true, "wayland", Notice::None, true},
        {both, false, true, "xcb", Notice::None, false},
        {both, true, false, "xcb", Notice::None, false},
        {wayland, true, true, "wayland", Notice::None, true},
        {wayland, false, true, "wayland", Notice::WaylandOnly, false},
        {wayland, false, false, "wayland", Notice::NoWaylandPlatform, false},
        {{{"DISPLAY", ":0"}, {"XDG_SESSION_TYPE", "x11"}}, true, true, "", Notice::None, false},
        {{{"XDG_SESSION_TYPE", "wayland"}}, true, true, "", Notice::NoDisplay, false},
        {xcbAsked, true, true, "", Notice::None, false},
        {{{"QT_QPA_PLATFORM", "wayland"}, {"DISPLAY", ":0"}}, false, true, "", Notice::None, true},
    };
    for (const auto &[session, layers, platform, expected, notice, layered] : rows) {
        const DisplayPlatform::Choice choice = DisplayPlatform::choose(
            [&session](const char *name) { return session.value(QByteArray(name)); },
            {.offersLayers = [layers] { return layers; },
             .hasQtPlatform = [platform] { return platform; }});
        const QByteArray row =
            session.keys().join(' ') + ' ' + char('0' + layers) + char('0' + platform);
        EXPECT_EQ(choice.platform, QByteArray(expected)) << row.data();
        EXPECT_EQ(choice.notice, notice) << row.data();
        EXPECT_EQ(choice.layers, layered) << row.data();
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
