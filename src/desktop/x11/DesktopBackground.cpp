#include "desktop/x11/DesktopBackground.h"

#include "desktop/x11/PixelLayout.h"
#include "desktop/x11/X11Connection.h"

#include <QCoreApplication>
#include <QMetaMethod>
#include <QPainter>
#include <QWindow>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>
#include <xcb/xcb.h>

namespace tockwise {

using namespace X11Connection;

namespace {

// In the order they are trusted: the second is from setters of an older day.
constexpr std::array<const char *, 2> pictureProperties = {"_XROOTPMAP_ID", "ESETROOT_PMAP_ID"};

// The reply to a request that may fail because another client freed the picture
// the property still names: the error is dropped here, where it means "no
// picture", instead of reaching Qt, which would log it as a fault.
template <typename T> Reply<T> replyOrNone(T *reply, xcb_generic_error_t *error)
{
    std::free(error);
    return Reply<T>(reply);
}

struct Picture
{
    xcb_pixmap_t id = XCB_PIXMAP_NONE;
    int width = 0;
    int height = 0;
    std::uint8_t depth = 0;
};

Picture pictureOf(xcb_connection_t *c, xcb_window_t root)
{
    internAtoms(c, {pictureProperties[0], pictureProperties[1]});
    for (const char *name : pictureProperties) {
        const std::vector<quint32> named = property32(c, root, atom(c, name), XCB_ATOM_PIXMAP);
        if (named.empty() || named.front() == XCB_PIXMAP_NONE) {
            continue;
        }
        xcb_generic_error_t *error = nullptr;
        const auto geometry = replyOrNone(
            xcb_get_geometry_reply(c, xcb_get_geometry(c, named.front()), &error), error);
        if (geometry && geometry->width > 0 && geometry->height > 0) {
            return {named.front(), geometry->width, geometry->height, geometry->depth};
        }
    }
    return {};
}

// Whether the server hands out pixels of this depth as 32-bit words of 0x??RRGGBB.
bool readsDepth(const xcb_setup_t *setup, std::uint8_t depth)
{
    return (depth == 24 || depth == 32) &&
           PixelLayout::packsWords(PixelLayout::formatsOf(setup), depth);
}

// Along one axis: the span of a picture `size` long that the root's pixels from
// `start` on, `length` of them, show when the picture is tiled from the root's
// origin, and where the tiling of that span begins relative to `start`. Within
// one tile that is just the span below; across a tile's edge, the whole picture.
struct Span
{
    int source = 0;
    int length = 0;
    int origin = 0;
};

Span spanOf(int start, int length, int size)
{
    const int offset = (start % size + size) % size;
    if (length <= size - offset) {
        return {offset, length, 0};
    }
    return {0, size, -offset};
}

const xcb_screen_t *screenOf(const xcb_setup_t *setup, xcb_window_t root)
{
    for (auto roots = xcb_setup_roots_iterator(setup); roots.rem; xcb_screen_next(&roots)) {
        if (roots.data->root == root) {
            return roots.data;
        }
    }
    return nullptr;
}

// Fills `target` of `under` with the tiles of the picture that the screen shows
// from `screenPoint` on. False where the picture does not read.
bool paintTiles(xcb_connection_t *c, const Picture &picture, const QRect &target,
                const QPoint &screenPoint, QImage &under)
{
    const Span x = spanOf(screenPoint.x(), target.width(), picture.width);
    const Span y = spanOf(screenPoint.y(), target.height(), picture.height);
    xcb_generic_error_t *error = nullptr;
    const auto fetched =
        replyOrNone(xcb_get_image_reply(c,
                                        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, picture.id,
                                                      static_cast<std::int16_t>(x.source),
                                                      static_cast<std::int16_t>(y.source),
                                                      static_cast<std::uint16_t>(x.length),
                                                      static_cast<std::uint16_t>(y.length), ~0U),
                                        &error),
                    error);
    if (!fetched || xcb_get_image_data_length(fetched.get()) < qint64(x.length) * y.length * 4) {
        return false;
    }
    const QImage tile =
        PixelLayout::opaqueImage(xcb_get_image_data(fetched.get()), QSize(x.length, y.length),
                                 xcb_get_setup(c)->image_byte_order);
    QPainter painter(&under);
    painter.setBrushOrigin(target.x() + x.origin, target.y() + y.origin);
    painter.fillRect(target, QBrush(tile));
    return true;
}

} // namespace

DesktopBackground &DesktopBackground::shared()
{
    static DesktopBackground *const background =
        X11Connection::ownedByApplication(new DesktopBackground);
    return *background;
}

QImage DesktopBackground::under(QWindow *window)
{
    xcb_connection_t *c = connection();
    if (!c || !window || !window->handle()) {
        return {};
    }
    const auto id = static_cast<xcb_window_t>(window->winId());
    xcb_generic_error_t *error = nullptr;
    const auto own = replyOrNone(xcb_get_geometry_reply(c, xcb_get_geometry(c, id), &error), error);
    if (!own) {
        return {};
    }
    // Where the window is on its screen, frame or none, in the root's (device) pixels.
    const auto place =
        replyOrNone(xcb_translate_coordinates_reply(
                        c, xcb_translate_coordinates(c, id, own->root, 0, 0), &error),
                    error);
    const xcb_setup_t *setup = xcb_get_setup(c);
    const xcb_screen_t *screen = screenOf(setup, own->root);
    const Picture picture = pictureOf(c, own->root);
    if (!place || !screen || picture.id == XCB_PIXMAP_NONE || !readsDepth(setup, picture.depth)) {
        return {};
    }

    const QRect area(place->dst_x, place->dst_y, own->width, own->height);
    // Off the screen the picture shows nowhere; parts of it beyond would be tiles
    // of it, fetched for nothing.
    const QRect shown = area & QRect(0, 0, screen->width_in_pixels, screen->height_in_pixels);
    QImage under(area.size(), QImage::Format_ARGB32_Premultiplied);
    under.fill(Qt::transparent);
    if (!shown.isEmpty() &&
        !paintTiles(c, picture, shown.translated(-area.topLeft()), shown.topLeft(), under)) {
        return {};
    }
    // Only now: a painter on an image with a ratio would paint in its points.
    under.setDevicePixelRatio(window->devicePixelRatio());
    return under;
}

void DesktopBackground::connectNotify(const QMetaMethod &signal)
{
    xcb_connection_t *c = connection();
    if (signal != QMetaMethod::fromSignal(&DesktopBackground::changed) || mFollowing || !c) {
        return;
    }
    mFollowing = true;
    internAtoms(c, {pictureProperties[0], pictureProperties[1]});
    // Added to what this connection already asks of each root window, since a new
    // mask replaces the old one.
    for (auto roots = xcb_setup_roots_iterator(xcb_get_setup(c)); roots.rem;
         xcb_screen_next(&roots)) {
        const xcb_window_t root = roots.data->root;
        const Reply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, root), nullptr));
        if (attributes && !(attributes->your_event_mask & XCB_EVENT_MASK_PROPERTY_CHANGE)) {
            const quint32 mask = attributes->your_event_mask | XCB_EVENT_MASK_PROPERTY_CHANGE;
            xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
        }
    }
    xcb_flush(c);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

bool DesktopBackground::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t" ||
        (static_cast<const xcb_generic_event_t *>(message)->response_type & 0x7f) !=
            XCB_PROPERTY_NOTIFY) {
        return false;
    }
    const xcb_atom_t changedProperty =
        static_cast<const xcb_property_notify_event_t *>(message)->atom;
    xcb_connection_t *c = connection();
    for (const char *name : pictureProperties) {
        if (c && changedProperty == atom(c, name)) {
            Q_EMIT changed();
            break;
        }
    }
    return false;
}

} // namespace tockwise
