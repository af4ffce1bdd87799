#include "desktop/x11/PixelLayout.h"

#include <QtEndian>

#include <algorithm>

namespace tockwise {

namespace PixelLayout {

std::span<const xcb_format_t> formatsOf(const xcb_setup_t *setup)
{
    return {xcb_setup_pixmap_formats(setup),
            static_cast<std::size_t>(xcb_setup_pixmap_formats_length(setup))};
}

bool packsWords(std::span<const xcb_format_t> formats, std::uint8_t depth)
{
    const auto format = std::ranges::find(formats, depth, &xcb_format_t::depth);
    return format != formats.end() && format->bits_per_pixel == 32 && format->scanline_pad != 0 &&
           32 % format->scanline_pad == 0;
}

QImage opaqueImage(const std::uint8_t *pixels, QSize size, std::uint8_t byteOrder)
{
    QImage image(size, QImage::Format_RGB32);
    // Rows of the image made, not of `size`: none where it could not be made.
    for (int row = 0; row < image.height(); ++row) {
        auto *line = reinterpret_cast<quint32 *>(image.scanLine(row));
        for (int column = 0; column < image.width(); ++column, pixels += 4) {
            const quint32 pixel = byteOrder == XCB_IMAGE_ORDER_MSB_FIRST
                                      ? qFromBigEndian<quint32>(pixels)
                                      : qFromLittleEndian<quint32>(pixels);
            line[column] = pixel | 0xff000000U;
        }
    }
    return image;
}

} // namespace PixelLayout

} // namespace tockwise
