#include "app/DisplayPlatform.h"

#include <QCoreApplication>

namespace DisplayPlatform {

Choice choose(const Environment &environment)
{
    if (!environment("QT_QPA_PLATFORM").isEmpty()) {
        return {};
    }
    const bool wayland =
        !environment("WAYLAND_DISPLAY").isEmpty() || environment("XDG_SESSION_TYPE") == "wayland";
    if (!wayland) {
        return {};
    }
    if (!environment("DISPLAY").isEmpty()) {
        return {"xcb", Notice::ThroughXWayland};
    }
    return {{}, Notice::WaylandOnly};
}

Choice apply()
{
    const Choice choice = choose([](const char *name) { return qgetenv(name); });
    if (!choice.platform.isEmpty()) {
        qputenv("QT_QPA_PLATFORM", choice.platform);
    }
    return choice;
}

QString noticeText(Notice notice)
{
    switch (notice) {
    case Notice::None:
        break;
    case Notice::ThroughXWayland:
        return QCoreApplication::translate(
            "DisplayPlatform",
            "Tockwise runs through XWayland: Wayland lets no program place its own windows "
            "or keep them above or below the others.");
    case Notice::WaylandOnly:
        return QCoreApplication::translate(
            "DisplayPlatform",
            "This Wayland session has no XWayland, so Tockwise runs on Wayland itself: clocks "
            "open where the compositor puts them rather than where you left them, and "
            "cannot be kept above or below other windows or shown on every workspace. "
            "Install XWayland (Debian's package xwayland) for clocks that stay in place.");
    }
    return {};
}

} // namespace DisplayPlatform
