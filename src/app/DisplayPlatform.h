#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

namespace tockwise {

// Which of Qt's window-system platforms a clock runs on. Clocks float, stack
// above or below other windows, keep their places and span workspaces: a Wayland
// session lets no program do that to its own windows, so on Wayland Tockwise runs
// through XWayland when the session offers it.
namespace DisplayPlatform {

enum class Notice
{
    None,
    // Running through XWayland on a Wayland session.
    ThroughXWayland,
    // A Wayland session without XWayland: clocks run, but cannot keep their places.
    WaylandOnly,
};

struct Choice
{
    // The platform to ask Qt for; empty leaves Qt's own choice.
    QByteArray platform;
    Notice notice = Notice::None;
};

using Environment = std::function<QByteArray(const char *)>;

// Decided from the session's variables before the application object exists. A
// platform the user asked for (QT_QPA_PLATFORM) is always kept.
Choice choose(const Environment &environment);

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

// Applies choose() and avoidSharedMemory() to this process's environment.
Choice apply(const std::vector<float> &clockSizes);

// What the user is told, once, in their language; empty for Notice::None.
QString noticeText(Notice notice);

} // namespace DisplayPlatform

} // namespace tockwise
