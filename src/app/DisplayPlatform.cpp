#include "app/DisplayPlatform.h"

#include <QCoreApplication>

#include <algorithm>

namespace tockwise {

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

bool avoidSharedMemory(const Environment &environment, const std::vector<float> &clockSizes)
{
    return environment("QT_XCB_NO_MITSHM").isNull() &&
           std::ranges::all_of(clockSizes, [](float size) { return size < sharedMemoryClockSize; });
}

Choice apply(const std::vector<float> &clockSizes)
{
    const Environment environment = [](const char *name) { return qgetenv(name); };
    const Choice choice = choose(environment);
    if (!choice.platform.isEmpty()) {
        qputenv("QT_QPA_PLATFORM", choice.platform);
    }
    if (avoidSharedMemory(environment, clockSizes)) {
        qputenv("QT_XCB_NO_MITSHM", "1");
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

} // namespace tockwise
