#pragma once

#include <functional>

class QPainter;
class QRegion;
class QWidget;

namespace tockwise {

// Paints part of a widget into its window's backing store and sends just that
// part to the X window itself. Qt's flush sends a window with a handful of
// requests (a clip, an upload to a pixmap, a copy to the window, another clip)
// and a write to the socket of its own; here a window takes one request, and
// the windows painted within a Batch share the connection's writes. The
// backing store holds what was painted, as after any paint, so an exposure later
// shows the same pixels.
namespace DirectFrame {

// Paints `region` (in the widget's coordinates) of `widget`, with whatever else
// its window draws there, as QWidget::repaint() would. Returns false, having
// done nothing, where a frame does not go this way (another platform, a window
// not shown, Qt flushing through shared memory, a backing store of another
// kind, pixels the X server lays out otherwise, a window whose frames it
// refused); the caller then repaints as usual. A refusal is logged once for the
// window, which Qt then draws whole.
//
// With `paint`, where nothing but `widget` shows within the region, `paint` draws
// the frame on a painter in the widget's coordinates, clipped to the region,
// instead of a paint event to the widget: no event filter sees it. The caller
// answers for the window's own paint, which is not drawn then (a window that
// paints nothing of its own, as a translucent one that only holds its children).
bool repaint(QWidget *widget, const QRegion &region,
             const std::function<void(QPainter &)> &paint = {});

// While one lives, what repaint() sends is held (up to 64 KiB, and never past a
// request of Qt's); the last to end writes it all out at once. Without one, each
// repaint() writes at once.
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
