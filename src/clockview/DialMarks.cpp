#include "clockview/DialMarks.h"

#include <cmath>

namespace tockwise {

namespace DialMarks {

namespace {

float of(double factor, float r)
{
    return static_cast<float>(factor * static_cast<double>(r));
}

} // namespace

Marks hourMarks(bool twentyFour)
{
    return twentyFour ? Marks{24, 75, 15} : Marks{12, 60, 30};
}

Marks minuteMarks(bool twentyFour)
{
    return twentyFour ? Marks{120, 90, 3} : Marks{60, 90, 6};
}

Rect dotRect(float r)
{
    const float diameter = of(0.06, r);
    return {of(0.825, r) - of(0.03, r), -of(0.03, r), diameter, diameter};
}

Point labelAnchor(float r)
{
    const Rect dot = dotRect(r);
    return {dot.x + dot.width * 0.5f, dot.y + dot.height * 0.5f};
}

float labelFontSize(float r, bool twentyFour)
{
    return std::floor(r / (twentyFour ? 8.0f : 5.0f));
}

QString hourLabel(ClockModel::PipStyle style, int index, const QStringList &romanNumerals)
{
    switch (style) {
    case ClockModel::PipStyle::Roman:
        return index < romanNumerals.size() ? romanNumerals[index] : QString();
    case ClockModel::PipStyle::Arabic:
        return QString::number(index + 1);
    default:
        return {};
    }
}

std::pair<Point, Point> minuteTick(float r)
{
    const float middle = of(0.825, r);
    const float half = of(0.01, r);
    return {{middle - half, 0}, {middle + half, 0}};
}

Rect faceDisc(const Rect &bounds, float r)
{
    return {bounds.x + 0.5f * bounds.width - r, bounds.y + 0.5f * bounds.height - r, 2 * r, 2 * r};
}

float borderLineWidth(float r)
{
    return 2 * r * 0.01f;
}

QTransform borderTransform(float r)
{
    return QTransform().translate(r, r).scale(0.99, 0.99).translate(-r, -r);
}

} // namespace DialMarks

} // namespace tockwise
