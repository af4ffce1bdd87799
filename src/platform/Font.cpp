#include "platform/Font.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPaintDevice>

namespace {

// Text is measured on an image of 72 dots per inch, where a point is a pixel.
const QPaintDevice &measuringDevice()
{
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
        constexpr int dotsPerMeterAt72Dpi = 2835; // 72 / 0.0254, as an image stores it
        image.setDotsPerMeterX(dotsPerMeterAt72Dpi);
        image.setDotsPerMeterY(dotsPerMeterAt72Dpi);
        return image;
    }();
    return device;
}

const QFont &generalFont()
{
    static const QFont font = [] {
        QFont general = QGuiApplication::instance()
                            ? QFontDatabase::systemFont(QFontDatabase::GeneralFont)
                            : QFont();
        // Unhinted outlines scale linearly, so a measured width holds at every
        // pixel ratio and fractional sizes keep their fractions.
        general.setHintingPreference(QFont::PreferNoHinting);
        general.setKerning(true);
        return general;
    }();
    return font;
}

float standardSize()
{
    const QFont &font = generalFont();
    return font.pointSizeF() > 0 ? static_cast<float>(font.pointSizeF()) : 13.0f;
}

} // namespace

Font::Font(const QFont &base, float points) : mFont(base), mPoints(points)
{
    mFont.setPointSizeF(static_cast<double>(points) * 72.0 / measuringDevice().logicalDpiY());
}

Font Font::systemFontOfSize(float points)
{
    return Font(generalFont(), points > 0 ? points : standardSize());
}

Font Font::userFontOfSize(float points)
{
    return Font(generalFont(), points > 0 ? points : standardSize());
}

Size Font::sizeOfText(const QString &text) const
{
    const QFontMetricsF metrics(mFont, &measuringDevice());
    return {static_cast<float>(metrics.horizontalAdvance(text)),
            static_cast<float>(metrics.lineSpacing())};
}

float Font::lineHeight() const
{
    return static_cast<float>(QFontMetricsF(mFont, &measuringDevice()).lineSpacing());
}

float Font::ascent() const
{
    return static_cast<float>(QFontMetricsF(mFont, &measuringDevice()).ascent());
}

float Font::descent() const
{
    return static_cast<float>(QFontMetricsF(mFont, &measuringDevice()).descent());
}

QFont Font::qfontFor(const QPaintDevice *device) const
{
    const int dpi = device ? device->logicalDpiY() : measuringDevice().logicalDpiY();
    QFont font = mFont;
    font.setPointSizeF(static_cast<double>(mPoints) * 72.0 / dpi);
    return font;
}
