#include "desktop/PixelLayout.h"

#include <algorithm>

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

} // namespace PixelLayout
