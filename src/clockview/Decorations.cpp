#include "clockview/Decorations.h"

#include <cmath>

namespace tockwise {

namespace Decorations {

float fontSize(float r)
{
    return std::floor(r / 10.0f) + 6.0f;
}

Point meridianOrigin(Point center, float r, Size text)
{
    return {center.x - 0.5f * text.width, center.y - 0.125f * r - text.height};
}

Point zoneOrigin(Point center, float r, Size text)
{
    return {center.x - 0.5f * text.width, center.y - 0.125f * r - 2 * text.height};
}

Point dateOrigin(Point center, float r, Size text)
{
    return {center.x - 0.5f * text.width, center.y + 0.125f * r};
}

Point weekdayOrigin(Point center, float r, Size text)
{
    return {center.x - 0.5f * text.width, center.y + 0.125f * r + text.height};
}

} // namespace Decorations

} // namespace tockwise
