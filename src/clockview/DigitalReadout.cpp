#include "clockview/DigitalReadout.h"

#include <algorithm>

namespace tockwise {

Size DigitalReadout::size() const
{
    Size total;
    for (const Line &line : lines) {
        const Size lineSize = line.font.sizeOfText(line.text);
        total.width = std::max(total.width, lineSize.width);
        total.height += lineSize.height;
    }
    return total;
}

QList<Point> DigitalReadout::lineOrigins(const Rect &rect) const
{
    QList<Point> origins;
    origins.reserve(lines.size());
    float top = rect.y + rect.height;
    for (const Line &line : lines) {
        const Size lineSize = line.font.sizeOfText(line.text);
        top -= lineSize.height;
        origins.append({rect.x + 0.5f * (rect.width - lineSize.width), top});
    }
    return origins;
}

namespace DigitalLayout {

QString timePattern(bool twentyFour, bool seconds, bool meridian)
{
    QString pattern = twentyFour ? QStringLiteral("HH") : QStringLiteral("h");
    pattern += QStringLiteral(":mm");
    if (seconds) {
        pattern += QStringLiteral(":ss");
    }
    if (meridian) {
        pattern += QStringLiteral(" a");
    }
    return pattern;
}

QString fittingSample(bool seconds, bool meridian)
{
    QString sample = QStringLiteral("12:00");
    if (seconds) {
        sample += QStringLiteral(":00");
    }
    if (meridian) {
        sample += QStringLiteral(" AM");
    }
    return sample;
}

float fitTypeSize(float start, float limit, const std::function<float(float)> &widthAt)
{
    float size = start >= smallestTypeSize ? start : smallestTypeSize;
    while (limit < widthAt(size) && size > smallestTypeSize) {
        size = std::max(size * shrinkFactor, smallestTypeSize);
    }
    return size;
}

float borderLineWidth(const Rect &bounds)
{
    return 0.01f * bounds.width;
}

Rect borderRect(const Rect &bounds)
{
    const float inset = 0.5f * borderLineWidth(bounds);
    return bounds.insetBy(inset, inset);
}

} // namespace DigitalLayout

} // namespace tockwise
