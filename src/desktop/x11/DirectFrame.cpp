#include "desktop/x11/DirectFrame.h"

#include "desktop/x11/PixelLayout.h"
#include "desktop/x11/X11Connection.h"

#include <QAbstractNativeEventFilter>
#include <QBackingStore>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <array>
#include <bit>
#include <vector>

namespace tockwise {

namespace DirectFrame {

namespace {

// A window frames have been sent to: its visual, checked once, and a graphics
// context made on it (so of its screen and depth).
struct Target
{
    const QWindow *owner = nullptr;
    xcb_window_t window = XCB_NONE;
    xcb_gcontext_t context = XCB_NONE;
    // 0 where the window's pixels are not laid out as its backing store's, or
    // where the X server refused a frame for it.
    std::uint8_t depth = 0;
};

// An image request sent, by the sequence number of its cookie, which an error
// for it carries too.
struct Sent
{
    unsigned int sequence = 0;
    xcb_window_t window = XCB_NONE;
};

// Takes the errors that refuse frames from Qt, which would only drop them (or log
// them, a line a tick, with its debug output on) while the window showed stale
// pixels.
struct Refusals : QObject, QAbstractNativeEventFilter
{
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override;
};

// Everything here runs on the GUI thread.
struct Sender
{
    xcb_connection_t *connection = nullptr;
    // Qt flushes through a shared-memory segment unless told not to: then the
    // clocks are large (see DisplayPlatform), and the segment serves them better
    // than the socket.
    bool sharedMemory = false;
    // The most image bytes one request takes: xcb closes the connection rather
    // than send a request longer than the server's maximum.
    std::size_t maxImageBytes = 0;
    std::vector<Target> targets;
    int batches = 0;
    // The latest image requests, more than a tick sends; errors come back within
    // a round trip, and Qt hands them on before the next tick.
    std::array<Sent, 256> sent{};
    std::size_t nextSent = 0;
};

Sender &sender()
{
    static Sender state;
    static bool known = false;
    if (!known && qGuiApp) {
        known = true;
        static const bool qtFlush = qgetenv("TOCKWISE_QT_FLUSH") == "1";
        state.connection = qtFlush ? nullptr : X11Connection::connection();
        state.sharedMemory = !qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM");
        if (state.connection) {
            // Less the request's own fields, with the longer length of a big request
            // (none where the connection has failed).
            const std::size_t requestBytes =
                std::size_t{xcb_get_maximum_request_length(state.connection)} * 4;
            const std::size_t fields = sizeof(xcb_put_image_request_t) + 4;
            state.maxImageBytes = requestBytes > fields ? requestBytes - fields : 0;
            qGuiApp->installNativeEventFilter(X11Connection::ownedByApplication(new Refusals));
        }
        // The connection goes with the application object.
        QObject::connect(qGuiApp, &QObject::destroyed, [] {
            state = Sender{};
            known = false;
        });
    }
    return state;
}

// The depth of `visual` where its pixels are 32 bits laid out as a backing store
// of this format holds them (blue in the lowest byte, in the host's order, rows
// with nothing between them), or 0.
std::uint8_t depthFor(xcb_connection_t *c, xcb_visualid_t visual, QImage::Format format)
{
    const xcb_setup_t *setup = xcb_get_setup(c);
    if ((setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST) !=
        (std::endian::native == std::endian::little)) {
        return 0;
    }
    for (auto screen = xcb_setup_roots_iterator(setup); screen.rem; xcb_screen_next(&screen)) {
        for (auto depth = xcb_screen_allowed_depths_iterator(screen.data); depth.rem;
             xcb_depth_next(&depth)) {
            for (auto type = xcb_depth_visuals_iterator(depth.data); type.rem;
                 xcb_visualtype_next(&type)) {
                const xcb_visualtype_t &v = *type.data;
                if (v.visual_id != visual) {
                    continue;
                }
                const bool rgb =
                    v.red_mask == 0xff0000 && v.green_mask == 0xff00 && v.blue_mask == 0xff;
                const std::uint8_t bits = depth.data->depth;
                const bool matches =
                    (bits == 32 && format == QImage::Format_ARGB32_Premultiplied) ||
                    (bits == 24 && format == QImage::Format_RGB32);
                const bool packed = PixelLayout::packsWords(PixelLayout::formatsOf(setup), bits);
                return rgb && matches && packed ? bits : 0;
            }
        }
    }
    return 0;
}

// Forgets the windows `owner` had; whether it had any.
bool forget(Sender &state, const QWindow *owner)
{
    return std::erase_if(state.targets, [&state, owner](const Target &target) {
               if (target.owner != owner) {
                   return false;
               }
               if (target.context != XCB_NONE && state.connection) {
                   xcb_free_gc(state.connection, target.context);
               }
               return true;
           }) > 0;
}

const Target *known(const Sender &state, const QWindow *window)
{
    const auto id = static_cast<xcb_window_t>(window->winId());
    const auto found = std::ranges::find(state.targets, id, &Target::window);
    return found != state.targets.end() ? &*found : nullptr;
}

// For a window not known yet: its visual checked, its context made.
Target newTarget(Sender &state, QWindow *window, QImage::Format format)
{
    const auto id = static_cast<xcb_window_t>(window->winId());
    // A window made anew (as a change of its flags does) has another id.
    const bool seen = forget(state, window);
    if (!seen) {
        QObject::connect(window, &QObject::destroyed, [window] { forget(sender(), window); });
    }
    // Once per window, a round trip for its visual.
    xcb_connection_t *c = state.connection;
    Target target{window, id};
    const X11Connection::Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id), nullptr));
    if (attributes) {
        target.depth = depthFor(c, attributes->visual, format);
    }
    if (target.depth != 0) {
        target.context = xcb_generate_id(c);
        const std::uint32_t noExposures = 0;
        xcb_create_gc(c, target.context, id, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
    }
    state.targets.push_back(target);
    return target;
}

// Queues `rect` of `image` for the window in as few requests as the server takes.
void put(Sender &state, const Target &target, const QImage &image, const QRect &rect)
{
    const auto rowsPerRequest = int(std::min<std::size_t>(
        rect.height(), state.maxImageBytes / (std::size_t(rect.width()) * 4)));
    for (int top = rect.top(); top <= rect.bottom(); top += rowsPerRequest) {
        const int rows = std::min(rowsPerRequest, rect.bottom() + 1 - top);
        // Rows with nothing between them, as the request holds them.
        const QImage band = image.copy(rect.left(), top, rect.width(), rows);
        const xcb_void_cookie_t cookie =
            xcb_put_image(state.connection, XCB_IMAGE_FORMAT_Z_PIXMAP, target.window,
                          target.context, std::uint16_t(rect.width()), std::uint16_t(rows),
                          std::int16_t(rect.left()), std::int16_t(top), 0, target.depth,
                          std::uint32_t(band.sizeInBytes()), band.constBits());
        state.sent[state.nextSent++ % state.sent.size()] = {cookie.sequence, target.window};
    }
}

// Whether `widget`'s paint is all its window shows within `area` (the window's
// coordinates): no other child of the window is shown there, and `widget` shows no
// child of its own.
bool paintsAlone(const QWidget *top, const QWidget *widget, const QRect &area)
{
    const auto showsChild = [](const QWidget *parent, const QWidget *except, const QRect &within) {
        for (const QObject *child : parent->children()) {
            const auto *other = qobject_cast<const QWidget *>(child);
            if (other && other != except && !other->isWindow() && other->isVisible() &&
                other->geometry().intersects(within)) {
                return true;
            }
        }
        return false;
    };
    if (widget != top && (widget->parentWidget() != top || showsChild(top, widget, area))) {
        return false;
    }
    return !showsChild(widget, nullptr, widget->rect());
}

bool Refusals::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    const auto *error = static_cast<const xcb_generic_error_t *>(message);
    if (eventType != "xcb_generic_event_t" || error->response_type != 0 ||
        error->major_code != XCB_PUT_IMAGE) {
        return false;
    }
    Sender &state = DirectFrame::sender();
    const auto sent = std::ranges::find_if(state.sent, [error](const Sent &request) {
        return request.window != XCB_NONE && request.sequence == error->full_sequence;
    });
    if (sent == state.sent.end()) {
        return false;
    }
    const xcb_window_t refused = sent->window;
    const auto target = std::ranges::find(state.targets, refused, &Target::window);
    if (target != state.targets.end() && target->depth != 0) {
        target->depth = 0;
        // Freed without a word, as the refused context itself may be gone.
        xcb_discard_reply(state.connection,
                          xcb_free_gc_checked(state.connection, target->context).sequence);
        target->context = XCB_NONE;
        qWarning("The window 0x%x cannot be drawn directly: the X server refused a frame (X "
                 "error %d). It is drawn the usual way from now on.",
                 refused, error->error_code);
        if (QWidget *widget = QWidget::find(refused)) {
            // Drawn whole, so that no part of the refused frames lingers.
            widget->update();
        }
    }
    return true;
}

} // namespace

bool repaint(QWidget *widget, const QRegion &region, const std::function<void(QPainter &)> &paint)
{
    Sender &state = sender();
    QWidget *top = widget->window();
    QWindow *window = top->windowHandle();
    QBackingStore *store = top->backingStore();
    if (!state.connection || state.sharedMemory || !window || !store || !window->isExposed() ||
        !top->isVisible()) {
        return false;
    }
    const Target *seen = known(state, window);
    if (seen && seen->depth == 0) {
        // Not a window for this path: no paint here that Qt would do again.
        return false;
    }
    const QPoint offset = widget->mapTo(top, QPoint());
    const QRegion area = region.translated(offset);
    store->beginPaint(area);
    QPaintDevice *device = store->paintDevice();
    auto *image =
        device && device->devType() == QInternal::Image ? static_cast<QImage *>(device) : nullptr;
    // A row of the window must fit in a request, as on any server but one without
    // big requests.
    const bool fits = image && std::size_t(image->width()) * 4 <= state.maxImageBytes;
    const Target target = !fits  ? Target{}
                          : seen ? *seen
                                 : newTarget(state, window, image->format());
    if (target.depth == 0) {
        store->endPaint();
        return false;
    }
    if (paint && paintsAlone(top, widget, area.boundingRect())) {
        // Drawn straight onto the backing store: the paint event's delivery and its
        // own painter cost more than the frame of a small clock.
        QPainter painter(image);
        painter.setClipRegion(area);
        painter.translate(offset);
        paint(painter);
    } else {
        top->render(image, area.boundingRect().topLeft(), area, QWidget::DrawChildren);
    }
    store->endPaint();

    const qreal ratio = image->devicePixelRatio();
    const QRect pixels(QPoint(), image->size());
    for (const QRect &rect : area) {
        const QRectF scaled(rect.x() * ratio, rect.y() * ratio, rect.width() * ratio,
                            rect.height() * ratio);
        const QRect native = scaled.toAlignedRect() & pixels;
        if (!native.isEmpty()) {
            put(state, target, *image, native);
        }
    }
    if (state.batches == 0) {
        xcb_flush(state.connection);
    }
    return true;
}

Batch::Batch()
{
    ++sender().batches;
}

Batch::~Batch()
{
    Sender &state = sender();
    // The application may have ended meanwhile, and the count with it.
    state.batches = std::max(0, state.batches - 1);
    if (state.batches == 0 && state.connection) {
        xcb_flush(state.connection);
    }
}

} // namespace DirectFrame

} // namespace tockwise
