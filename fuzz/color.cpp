// Colour data from settings files: what decodes is a colour that encodes back to
// the very same bytes, and that can be painted.

#include "graphics/Color.h"

#include "FuzzTarget.h"

using namespace tockwise;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = Fuzz::bytes(data, size);
    const std::optional<Color> color = Color::decode(bytes);
    if (!color) {
        return 0;
    }
    FUZZ_CHECK(color->encode() == bytes);
    FUZZ_CHECK(Color::decode(color->encode()) == color);

    const std::optional<Color> rgb = color->usingCalibratedRGB();
    FUZZ_CHECK(rgb && rgb->space() == Color::Space::CalibratedRGB);
    FUZZ_CHECK(rgb->alpha() == color->alpha());
    for (int i = 0; i < color->componentCount(); ++i) {
        FUZZ_CHECK(rgb->component(i) == color->component(i));
    }
    const QColor painted = color->toQColor();
    FUZZ_CHECK(painted.isValid());
    FUZZ_CHECK(painted.alphaF() >= 0 && painted.alphaF() <= 1);
    const std::optional<Color> translucent = color->withAlphaComponent(0.5f);
    FUZZ_CHECK(Color::decode(translucent->encode()) == translucent);
    return 0;
}
