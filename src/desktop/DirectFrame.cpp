#include "desktop/DirectFrame.h"

#include "desktop/X11Connection.h"

#include <QBackingStore>
#include <QGuiApplication>
#include <QImage>
#include <QRegion>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace DirectFrame {

namespace {

struct Sender
{
    xcb_connection_t *connection = nullptr;
    // Qt flushes through a shared-memory segment unless told not to: then the
    // clocks are large (see DisplayPlatform), and the segment serves them better
    // than the socket.
    bool sharedMemory = false;
    // One context per depth serves every window of that depth on the screen.
    xcb_gcontext_t context32 = XCB_NONE;
    xcb_gcontext_t context24 = XCB_NONE;
    std::size_t maxRequestBytes = 0;
    std::vector<std::uint8_t> rows;
    int batches = 0;
    bool pending = false;
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
            // The image data a request carries, less its header.
            state.maxRequestBytes =
                std::size_t{xcb_get_maximum_request_length(state.connection)} * 4 - 64;
        }
        // The connection goes with the application object.
        QObject::connect(qGuiApp, &QObject::destroyed, [] {
            state = Sender{};
            known = false;
        });
    }
    return state;
}

void writeOut(Sender &state)
{
    if (state.pending && state.batches == 0) {
        xcb_flush(state.connection);
        state.pending = false;
    }
}

bool littleEndianHost()
{
    constexpr std::uint16_t probe = 1;
    std::uint8_t first = 0;
    std::memcpy(&first, &probe, 1);
    return first == 1;
}

// The depth of a window whose backing store has this format, where its pixels
// are laid out as an X server with this byte order wants them: 32-bit pixels,
// blue in the lowest byte.
int depthFor(const QImage &image, xcb_connection_t *c)
{
    const bool lsbServer = xcb_get_setup(c)->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    if (lsbServer != littleEndianHost()) {
        return 0;
    }
    switch (image.format()) {
    case QImage::Format_ARGB32_Premultiplied:
        return 32;
    case QImage::Format_RGB32:
        return 24;
    default:
        return 0;
    }
}

xcb_gcontext_t contextFor(Sender &state, int depth, xcb_window_t window)
{
    xcb_gcontext_t &context = depth == 32 ? state.context32 : state.context24;
    if (context == XCB_NONE) {
        context = xcb_generate_id(state.connection);
        const std::uint32_t noExposures = 0;
        xcb_create_gc(state.connection, context, window, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
    }
    return context;
}

void put(Sender &state, xcb_window_t window, xcb_gcontext_t context, int depth, const QImage &image,
         const QRect &rect)
{
    const std::size_t stride = std::size_t(rect.width()) * 4;
    const int rowsPerRequest =
        static_cast<int>(std::max<std::size_t>(1, state.maxRequestBytes / stride));
    for (int top = rect.top(); top <= rect.bottom(); top += rowsPerRequest) {
        const int rows = std::min(rowsPerRequest, rect.bottom() + 1 - top);
        state.rows.resize(stride * std::size_t(rows));
        for (int y = 0; y < rows; ++y) {
            std::memcpy(state.rows.data() + stride * std::size_t(y),
                        image.constScanLine(top + y) + std::size_t(rect.left()) * 4, stride);
        }
        xcb_put_image(state.connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, context,
                      std::uint16_t(rect.width()), std::uint16_t(rows), std::int16_t(rect.left()),
                      std::int16_t(top), 0, std::uint8_t(depth), std::uint32_t(state.rows.size()),
                      state.rows.data());
    }
}

} // namespace

bool repaint(QWidget *widget, const QRegion &region)
{
    Sender &state = sender();
    QWidget *top = widget->window();
    QWindow *window = top->windowHandle();
    QBackingStore *store = top->backingStore();
    if (!state.connection || state.sharedMemory || !window || !store || !window->isExposed() ||
        !top->isVisible()) {
        return false;
    }
    const QRegion area = region.translated(widget->mapTo(top, QPoint()));
    store->beginPaint(area);
    QPaintDevice *device = store->paintDevice();
    auto *image =
        device && device->devType() == QInternal::Image ? static_cast<QImage *>(device) : nullptr;
    const int depth = image ? depthFor(*image, state.connection) : 0;
    if (depth == 0) {
        store->endPaint();
        return false;
    }
    top->render(image, area.boundingRect().topLeft(), area, QWidget::DrawChildren);
    store->endPaint();

    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_gcontext_t context = contextFor(state, depth, id);
    const qreal ratio = image->devicePixelRatio();
    const QRect pixels(QPoint(), image->size());
    for (const QRect &rect : area) {
        const QRectF scaled(rect.x() * ratio, rect.y() * ratio, rect.width() * ratio,
                            rect.height() * ratio);
        const QRect native = scaled.toAlignedRect() & pixels;
        if (!native.isEmpty()) {
            put(state, id, context, depth, *image, native);
        }
    }
    state.pending = true;
    writeOut(state);
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
    writeOut(state);
}

} // namespace DirectFrame
