#include "graphics/Font.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>

#include <algorithm>
#include <cmath>

namespace tockwise {

namespace {

const QFont &generalFont()
{
    static const QFont font = [] {
        QFont general = QGuiApplication::instance()
                            ? QFontDatabase::systemFont(QFontDatabase::GeneralFont)
                            : QFont();
        // Unhinted outlines scale linearly, so that a scaled whole size measures
        // and draws as the fractional size would.
        general.setHintingPreference(QFont::PreferNoHinting);
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

Font::Font(float points) : mFont(generalFont()), mPoints(points > 0 ? points : standardSize())
{
    const float whole = std::max(1.0f, std::round(mPoints));
    mFont.setPixelSize(static_cast<int>(whole));
    mScale = mPoints / whole;
}

Font Font::systemFontOfSize(float points)
{
    return Font(points);
}

Font Font::userFontOfSize(float points)
{
    return Font(points);
}

namespace {

// Frames measure and draw the same few texts in the same few sizes again and
// again; shaping them anew each time would cost more than the rest of a frame.
// Each table is emptied when odd texts pile up in it.
constexpr qsizetype maximumCachedTexts = 1024;

struct LineMetrics
{
    qreal ascent = 0;
    qreal lineSpacing = 0;
};

const LineMetrics &metricsFor(const QFont &font)
{
    static QHash<int, LineMetrics> metrics;
    const int pixels = font.pixelSize();
    if (const auto it = metrics.constFind(pixels); it != metrics.cend()) {
        return it.value();
    }
    const QFontMetricsF measured(font);
    return *metrics.insert(pixels, {measured.ascent(), measured.lineSpacing()});
}

using TextKey = std::pair<QString, int>;

template <typename Value, typename Make>
const Value &cached(QHash<TextKey, Value> &table, const QString &text, const QFont &font, Make make)
{
    const TextKey key(text, font.pixelSize());
    if (const auto it = table.constFind(key); it != table.cend()) {
        return it.value();
    }
    if (table.size() >= maximumCachedTexts) {
        table.clear();
    }
    return *table.insert(key, make());
}

} // namespace

Size Font::sizeOfText(const QString &text) const
{
    static QHash<TextKey, qreal> widths;
    const qreal width =
        cached(widths, text, mFont, [&] { return QFontMetricsF(mFont).horizontalAdvance(text); });
    return {static_cast<float>(width) * mScale,
            static_cast<float>(metricsFor(mFont).lineSpacing) * mScale};
}

float Font::lineHeight() const
{
    return static_cast<float>(metricsFor(mFont).lineSpacing) * mScale;
}

float Font::ascent() const
{
    return static_cast<float>(metricsFor(mFont).ascent) * mScale;
}

qreal Font::qfontAscent() const
{
    return metricsFor(mFont).ascent;
}

const QStaticText &Font::staticText(const QString &text) const
{
    static QHash<TextKey, QStaticText> texts;
    return cached(texts, text, mFont, [&] {
        QStaticText laidOut(text);
        laidOut.setTextFormat(Qt::PlainText);
        laidOut.setPerformanceHint(QStaticText::AggressiveCaching);
        return laidOut;
    });
}

} // namespace tockwise
