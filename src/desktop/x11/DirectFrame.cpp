#include "desktop/x11/DirectFrame.h"

#include "desktop/x11/PixelLayout.h"
#include "desktop/x11/RecentRequests.h"
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
#include <bit>
#include <cmath>
#include <cstring>
#include <mutex>
#include <sys/uio.h>
#include <vector>
#include <xcb/xcbext.h>

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
    // 0 where the window's pixels are not laid out as its backing store's.
    std::uint8_t depth = 0;
};

// Frames are written to the socket together, since every write wakes the X
// server, which then takes the CPU from the clock as often as not; xcb would
// write whenever its buffer of 16 KiB filled. Past this many bytes what is held
// goes out anyway, so that little memory is held for it.
constexpr std::size_t writeBytes = 64 * 1024;
// xcb works out the full sequence number of what the server sends from the last
// it read, so a request that has a reply must go out at least once in every
// 65536 requests. xcb sees to that for the requests it sends, the sender for
// those it writes itself, with room to spare for what Qt sends meanwhile.
constexpr std::uint64_t requestsBetweenReplies = 32768;
// The largest request without the big-requests extension, whose length in 4-byte
// words has 16 bits.
constexpr std::size_t coreRequestBytes = 65535 * 4;

// Takes the errors that refuse frames from Qt, which would only drop them (or log
// them, a line a tick, with its debug output on) while the window showed stale
// pixels.
struct Refusals : QObject, QAbstractNativeEventFilter
{
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override;
};

struct Sender
{
    xcb_connection_t *connection = nullptr;
    // Qt flushes through a shared-memory segment unless told not to: then the
    // clocks are large (see DisplayPlatform), and the segment serves them better
    // than the socket.
    bool sharedMemory = false;
    std::size_t maxImageBytes = 0;
    std::vector<Target> targets;
    int batches = 0;

    // Image requests in the protocol's own encoding, not written yet. They are
    // held only while the socket's write end is this side's: xcb asks for it back
    // (giveBack) before it sends anything, so no request of Qt's overtakes a frame.
    // xcb may ask on any thread that sends.
    std::mutex mutex;
    std::vector<std::uint8_t> out;
    std::uint64_t requests = 0;
    bool ownsSocket = false;
    // The sequence number of the last request written, while the socket is owned,
    // and one at or before the last request with a reply.
    std::uint64_t sequence = 0;
    std::uint64_t lastReply = 0;
    // The image requests' windows, for the errors that refuse them.
    RecentRequests sent;
};

Sender &sender()
{
    static Sender state;
    static bool known = false;
    if (!known && qGuiApp) {
        known = true;
        state.connection = X11Connection::connection();
        state.sharedMemory = !qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM");
        if (state.connection) {
            state.maxImageBytes =
                std::min(std::size_t{xcb_get_maximum_request_length(state.connection)} * 4,
                         coreRequestBytes) -
                sizeof(xcb_put_image_request_t);
        }
        if (state.connection) {
            qGuiApp->installNativeEventFilter(X11Connection::ownedByApplication(new Refusals));
        }
        // The connection goes with the application object.
        QObject::connect(qGuiApp, &QObject::destroyed, [] {
            const std::lock_guard lock(state.mutex);
            state.connection = nullptr;
            state.targets.clear();
            state.batches = 0;
            state.out = {};
            state.requests = 0;
            state.ownsSocket = false;
            state.lastReply = 0;
            state.sent = {};
            known = false;
        });
    }
    return state;
}

// With the mutex held, and the socket owned where anything is held.
void writeHeld(Sender &state)
{
    if (state.out.empty()) {
        return;
    }
    iovec data{state.out.data(), state.out.size()};
    xcb_writev(state.connection, &data, 1, state.requests);
    state.sequence += state.requests;
    state.out.clear();
    state.requests = 0;
    if (state.out.capacity() > 2 * writeBytes) {
        // A whole large window, sent once, need not stay in memory.
        state.out = {};
    }
}

void giveBack(void *)
{
    Sender &state = sender();
    const std::lock_guard lock(state.mutex);
    writeHeld(state);
    state.ownsSocket = false;
}

// With the mutex held: whether the socket's write end is this side's, taken
// from xcb where it is not (false where the connection has failed).
bool ownSocket(Sender &state)
{
    if (!state.ownsSocket) {
        std::uint64_t sent = 0;
        if (!xcb_take_socket(state.connection, giveBack, nullptr, 0, &sent)) {
            return false;
        }
        state.ownsSocket = true;
        state.sequence = sent;
    }
    return true;
}

// Writes what is held, and then a request with a reply where one is owed.
void send(Sender &state, std::unique_lock<std::mutex> &lock)
{
    if (state.out.empty()) {
        return;
    }
    writeHeld(state);
    const std::uint64_t written = state.sequence;
    if (written - state.lastReply < requestsBetweenReplies) {
        return;
    }
    // xcb takes the socket back for it, through giveBack, which needs the mutex.
    lock.unlock();
    const unsigned int asked = xcb_get_input_focus(state.connection).sequence;
    xcb_discard_reply(state.connection, asked);
    lock.lock();
    state.lastReply = written + std::uint32_t(asked - std::uint32_t(written));
}

void writeOut(Sender &state)
{
    std::unique_lock lock(state.mutex);
    if (state.batches == 0) {
        send(state, lock);
    }
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

void put(Sender &state, const Target &target, const QImage &image, const QRect &rect)
{
    const std::size_t stride = std::size_t(rect.width()) * 4;
    const int rowsPerRequest =
        static_cast<int>(std::max<std::size_t>(1, state.maxImageBytes / stride));
    std::unique_lock lock(state.mutex);
    for (int top = rect.top(); top <= rect.bottom(); top += rowsPerRequest) {
        const int rows = std::min(rowsPerRequest, rect.bottom() + 1 - top);
        const std::size_t bytes = sizeof(xcb_put_image_request_t) + stride * std::size_t(rows);
        if (state.out.size() + bytes > writeBytes) {
            send(state, lock);
        }
        if (!ownSocket(state)) {
            return;
        }
        xcb_put_image_request_t request{};
        request.major_opcode = XCB_PUT_IMAGE;
        request.format = XCB_IMAGE_FORMAT_Z_PIXMAP;
        request.length = std::uint16_t(bytes / 4);
        request.drawable = target.window;
        request.gc = target.context;
        request.width = std::uint16_t(rect.width());
        request.height = std::uint16_t(rows);
        request.dst_x = std::int16_t(rect.left());
        request.dst_y = std::int16_t(top);
        request.depth = target.depth;
        const std::size_t at = state.out.size();
        state.out.resize(at + bytes);
        std::uint8_t *cursor = state.out.data() + at;
        std::memcpy(cursor, &request, sizeof request);
        cursor += sizeof request;
        for (int y = 0; y < rows; ++y, cursor += stride) {
            std::memcpy(cursor, image.constScanLine(top + y) + std::size_t(rect.left()) * 4,
                        stride);
        }
        ++state.requests;
        state.sent.add(std::uint32_t(state.sequence + state.requests), target.window);
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
    if (eventType != "xcb_generic_event_t" || error->response_type != 0) {
        return false;
    }
    Sender &state = DirectFrame::sender();
    std::unique_lock lock(state.mutex);
    const xcb_window_t refused = state.sent.windowOf(error->full_sequence);
    // xcb takes the socket back for the requests below through giveBack, which locks.
    lock.unlock();
    if (refused == XCB_NONE) {
        return false;
    }
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
    const Target target = !image ? Target{}
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
    writeOut(state);
    return true;
}

Batch::Batch()
{
    Sender &state = sender();
    const std::lock_guard lock(state.mutex);
    ++state.batches;
}

Batch::~Batch()
{
    Sender &state = sender();
    {
        const std::lock_guard lock(state.mutex);
        // The application may have ended meanwhile, and the count with it.
        state.batches = std::max(0, state.batches - 1);
    }
    writeOut(state);
}

} // namespace DirectFrame

} // namespace tockwise
