#include "window/PaintedRegion.h"

#include <QTransform>

#include <utility>
#include <vector>

namespace tockwise {

namespace {

// Nothing blends a window with the desktop without a compositor: a translucent
// pixel shows as its colour darkened towards black. The faintest edge pixels of
// anti-aliasing are left out; a half-transparent face stays in, darker.
constexpr int minimumShapeAlpha = 32;

} // namespace

// Runs of pixels are taken row by row, and a row that repeats the one above
// widens its rectangles instead of adding new ones, which keeps the region (and
// the request that sends it to the X server) small.
QRegion paintedRegion(const QImage &painted)
{
    const QImage image = painted.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int width = image.width();
    const int height = image.height();
    std::vector<QRect> rects;
    std::size_t previousRow = 0;
    std::vector<std::pair<int, int>> runs;
    std::vector<std::pair<int, int>> previousRuns;
    for (int y = 0; y < height; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        runs.clear();
        for (int x = 0; x < width;) {
            while (x < width && qAlpha(line[x]) < minimumShapeAlpha) {
                ++x;
            }
            const int start = x;
            while (x < width && qAlpha(line[x]) >= minimumShapeAlpha) {
                ++x;
            }
            if (x > start) {
                runs.emplace_back(start, x - start);
            }
        }
        if (!runs.empty() && runs == previousRuns && previousRow + runs.size() == rects.size()) {
            for (std::size_t i = previousRow; i < rects.size(); ++i) {
                rects[i].setBottom(y);
            }
            continue;
        }
        previousRow = rects.size();
        for (const auto &[x, length] : runs) {
            rects.emplace_back(x, y, length, 1);
        }
        std::swap(runs, previousRuns);
    }
    QRegion region;
    // Sorted by row, then by column, none overlapping: what setRects asks for.
    region.setRects(rects.data(), static_cast<int>(rects.size()));
    return region;
}

QRegion toWindowPixels(QRegion devicePixels, qreal ratio)
{
    if (ratio != 1) {
        devicePixels = QTransform::fromScale(1 / ratio, 1 / ratio).map(devicePixels);
    }
    return devicePixels;
}

} // namespace tockwise
