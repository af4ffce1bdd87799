#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

namespace tockwise {

// Which of Qt's window-system platforms a clock runs on. Clocks float, stack
// above or below other windows, keep their places and span workspaces. A Wayland
// application window can do none of that; a layer of the desktop can, where the
// compositor offers layers, and an X11 window can, through XWayland.
namespace DisplayPlatform {

enum class Notice
{
    None,
    // A Wayland session with neither layers nor XWayland: clocks run, but cannot
    // keep their places.
    WaylandOnly,
    // A Wayland session without XWayland, and Qt's Wayland platform not installed.
    // Not a notice but the end: the process stops.
    NoWaylandPlatform,
    // Nowhere to show anything: the end too.
    NoDisplay,
};

struct Choice
{
    // The platform to ask Qt for; empty leaves Qt's own choice.
    QByteArray platform;
    Notice notice = Notice::None;
    // Whether clock windows become layers of the Wayland desktop.
    bool layers = false;

    bool canShowClocks() const
    {
        return notice != Notice::NoWaylandPlatform && notice != Notice::NoDisplay;
    }
};

using Environment = std::function<QByteArray(const char *)>;

// What is asked of the session only when it is a Wayland one.
struct WaylandSession
{
    // Whether the compositor offers layers of the desktop.
    std::function<bool()> offersLayers;
    // Whether Qt's Wayland platform plugin is installed.
    std::function<bool()> hasQtPlatform;
};

// Decided before the application object exists. A platform the user asked for
// (QT_QPA_PLATFORM) is always kept.
Choice choose(const Environment &environment, const WaylandSession &session);

// Qt's X11 backend flushes a window through MIT-SHM when the server has it: each
// flush then waits for the server to let go of the segment, a round trip and a
// hand-over between two threads, which for the few kilobytes a small clock
// repaints costs more than sending them down the socket. From this size (in
// points) a clock repaints enough for the segment to pay: with a second hand,
// one clock measured alike either way at 256 points, and a third cheaper through
// shared memory at 512.
inline constexpr float sharedMemoryClockSize = 384;

// Whether to switch Qt's use of MIT-SHM off for saved clocks of these sizes (a
// clock with a picture face counts as infinitely large: the picture's size is
// not known before it is read). Never when the user set QT_XCB_NO_MITSHM.
bool avoidSharedMemory(const Environment &environment, const std::vector<float> &clockSizes);

// Applies choose() and avoidSharedMemory() to this process's environment, asking
// the session itself.
Choice apply(const std::vector<float> &clockSizes);

// What the user is told, once, in their language; empty for Notice::None.
QString noticeText(Notice notice);

} // namespace DisplayPlatform

} // namespace tockwise
