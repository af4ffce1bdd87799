#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

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

// Applies choose() to this process's environment.
Choice apply();

// What the user is told, once, in their language; empty for Notice::None.
QString noticeText(Notice notice);

} // namespace DisplayPlatform
