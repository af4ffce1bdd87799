#pragma once

#include <QImage>
#include <QRegion>

namespace tockwise {

// The pixels of `painted` opaque enough to keep, in device pixels: where nothing
// composites a window, its shape.
QRegion paintedRegion(const QImage &painted);

// A region of device pixels in the window's own pixels.
QRegion toWindowPixels(QRegion devicePixels, qreal ratio);

} // namespace tockwise
