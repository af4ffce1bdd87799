#include "app/DisplayPlatform.h"

#include "desktop/wayland/LayerShell.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>

#include <algorithm>

namespace tockwise {

namespace DisplayPlatform {

Choice choose(const Environment &environment, const WaylandSession &session)
{
    if (!environment("QT_QPA_PLATFORM").isEmpty()) {
        return {.platform = {}, .layers = environment("QT_QPA_PLATFORM").startsWith("wayland")};
    }
    const bool hasX = !environment("DISPLAY").isEmpty();
    const bool wayland = !environment("WAYLAND_DISPLAY").isEmpty();
    if (!wayland) {
        return {.platform = {}, .notice = hasX ? Notice::None : Notice::NoDisplay};
    }
    const bool qtPlatform = session.hasQtPlatform();
    if (qtPlatform && session.offersLayers()) {
        return {.platform = "wayland", .layers = true};
    }
    if (hasX) {
        return {.platform = "xcb"};
    }
    return {.platform = "wayland",
            .notice = qtPlatform ? Notice::WaylandOnly : Notice::NoWaylandPlatform};
}

bool avoidSharedMemory(const Environment &environment, const std::vector<float> &clockSizes)
{
    return environment("QT_XCB_NO_MITSHM").isNull() &&
           std::ranges::all_of(clockSizes, [](float size) { return size < sharedMemoryClockSize; });
}

// Qt looks for its platforms in the folders the user names, then in its own.
bool hasQtWaylandPlatform()
{
    QStringList folders = QString::fromLocal8Bit(qgetenv("QT_QPA_PLATFORM_PLUGIN_PATH"))
                              .split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &folder : QString::fromLocal8Bit(qgetenv("QT_PLUGIN_PATH"))
                                     .split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        folders.append(folder + QStringLiteral("/platforms"));
    }
    folders.append(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"));
    return std::ranges::any_of(folders, [](const QString &folder) {
        return !QDir(folder).entryList({QStringLiteral("libqwayland*")}, QDir::Files).isEmpty();
    });
}

Choice apply(const std::vector<float> &clockSizes)
{
    const Environment environment = [](const char *name) { return qgetenv(name); };
    const Choice choice = choose(environment, {.offersLayers = &LayerSurface::offeredBySession,
                                               .hasQtPlatform = &hasQtWaylandPlatform});
    if (!choice.platform.isEmpty()) {
        qputenv("QT_QPA_PLATFORM", choice.platform);
    }
    if (choice.layers) {
        LayerSurface::prepareApplication();
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
    case Notice::WaylandOnly:
        return QCoreApplication::translate(
            "DisplayPlatform",
            "This Wayland session has no XWayland, so Tockwise runs on Wayland itself: clocks "
            "open where the compositor puts them rather than where you left them, and "
            "cannot be kept above or below other windows or shown on every workspace. "
            "Install XWayland (Debian's package xwayland) for clocks that stay in place.");
    case Notice::NoWaylandPlatform:
        return QCoreApplication::translate(
            "DisplayPlatform",
            "tockwise: this Wayland session has no XWayland, and Qt's Wayland platform is not "
            "installed: install Debian's package qt6-wayland (or xwayland).");
    case Notice::NoDisplay:
        return QCoreApplication::translate(
            "DisplayPlatform",
            "tockwise: there is no display to show clocks on: neither WAYLAND_DISPLAY nor "
            "DISPLAY is set.");
    }
    return {};
}

} // namespace DisplayPlatform

} // namespace tockwise
