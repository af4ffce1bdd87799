#pragma once

#include <functional>

class QPainter;
class QRegion;
class QWidget;

namespace tockwise {

// Paints part of a widget into its window's backing store and sends just that
// part to the X window itself, with xcb_put_image on Qt's connection. Qt's flush
// sends a window with a handful of requests (a clip, an upload to a pixmap, a
// copy to the window, another clip) and writes to the socket at once; here a
// window takes one image request (in bands where the image is longer than the
// server takes in one request), and the frames of a Batch are flushed together
// as it ends (xcb writes sooner only when its buffer fills). The backing store
// holds what was painted, as after any paint, so an exposure later shows the
// same pixels.
//
// With TOCKWISE_QT_FLUSH=1 in the environment (read once, as Tockwise first
// draws), repaint() always returns false, so every frame goes through Qt's own
// repaint and flush: for telling a fault of this path from one of the drawing.
namespace DirectFrame {

// Paints `region` (in the widget's coordinates) of `widget`, with whatever else
// its window draws there, as QWidget::repaint() would. Returns false, having
// done nothing, where a frame does not go this way (another platform, a window
// not shown, Qt flushing through shared memory, a backing store of another
// kind, pixels the X server lays out otherwise, a row of pixels longer than a
// request may be, a window whose frames it refused, TOCKWISE_QT_FLUSH=1); the
// caller then repaints as usual. A refusal is logged once for the window,
// which Qt then draws whole.
//
// With `paint`, where nothing but `widget` shows within the region, `paint` draws
// the frame on a painter in the widget's coordinates, clipped to the region,
// instead of a paint event to the widget: no event filter sees it. The caller
// answers for the window's own paint, which is not drawn then (a window that
// paints nothing of its own, as a translucent one that only holds its children).
bool repaint(QWidget *widget, const QRegion &region,
             const std::function<void(QPainter &)> &paint = {});

// While one lives, what repaint() sends stays in xcb's buffer (which xcb writes
// out by itself when it fills); the last to end flushes the connection. Without
// one, each repaint() flushes.
class Batch
{
public:
    Batch();
    ~Batch();
    Batch(const Batch &) = delete;
    Batch &operator=(const Batch &) = delete;
};

} // namespace DirectFrame

} // namespace tockwise
