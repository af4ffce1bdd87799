#include "desktop/x11/X11Connection.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QHash>

#include <cstring>
#include <utility>

namespace tockwise {

namespace X11Connection {

xcb_connection_t *connection()
{
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb")) {
        return nullptr;
    }
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

namespace {

struct AtomCache
{
    xcb_connection_t *connection = nullptr;
    QHash<QByteArray, xcb_atom_t> atoms;
};

AtomCache &atomCache(xcb_connection_t *c)
{
    static AtomCache cache;
    if (cache.connection != c) {
        cache = AtomCache{c, {}};
        // The connection goes with the application object; a later one may be
        // another display's.
        QObject::connect(qGuiApp, &QObject::destroyed, [] { cache = AtomCache{}; });
    }
    return cache;
}

} // namespace

void internAtoms(xcb_connection_t *c, std::initializer_list<const char *> names)
{
    AtomCache &cache = atomCache(c);
    std::vector<std::pair<QByteArray, xcb_intern_atom_cookie_t>> asked;
    for (const char *name : names) {
        if (!cache.atoms.contains(QByteArray(name))) {
            asked.emplace_back(
                name, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name));
        }
    }
    for (const auto &[name, cookie] : asked) {
        const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(c, cookie, nullptr));
        if (reply) {
            cache.atoms.insert(name, reply->atom);
        }
    }
}

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    internAtoms(c, {name});
    return atomCache(c).atoms.value(QByteArray(name), XCB_ATOM_NONE);
}

std::vector<quint32> property32(xcb_connection_t *c, xcb_window_t window, xcb_atom_t property,
                                xcb_atom_t type)
{
    // 1024 items is far beyond any state or desktop list.
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, property, type, 0, 1024), nullptr));
    if (!reply || reply->format != 32 || reply->type != type) {
        return {};
    }
    const auto *values = static_cast<const quint32 *>(xcb_get_property_value(reply.get()));
    return std::vector<quint32>(values, values + xcb_get_property_value_length(reply.get()) / 4);
}

xcb_window_t rootOf(xcb_connection_t *c, xcb_window_t window)
{
    const Reply<xcb_get_geometry_reply_t> reply(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    return reply ? reply->root : xcb_window_t(XCB_WINDOW_NONE);
}

} // namespace X11Connection

} // namespace tockwise
