#include "clockview/HandShapes.h"

#include <algorithm>

namespace HandShapes {

namespace {

// Which products are rounded from double and which are taken in single precision
// is part of the shape: it decides the last bit of every vertex.
float inDouble(double factor, float R)
{
    return static_cast<float>(factor * static_cast<double>(R));
}

Polygon taperedHand(float R, float tipX)
{
    const float halfWidth = inDouble(0.03, R);
    const float tipHalfWidth = 0.25f * halfWidth;
    return {{{inDouble(-0.06, R), 0},
             {0, -halfWidth},
             {tipX, -tipHalfWidth},
             {tipX, tipHalfWidth},
             {0, halfWidth}}};
}

} // namespace

Polygon hourHand(float R)
{
    return taperedHand(R, 0.5f * R);
}

Polygon minuteHand(float R)
{
    return taperedHand(R, 0.75f * R);
}

Polygon secondHand(float R)
{
    const float tipHalfWidth = 0.25f * inDouble(0.03, R);
    const float baseHalfWidth = std::max(tipHalfWidth, 0.5f);
    const float tipX = inDouble(0.9, R);
    return {{{inDouble(-0.06, R), 0},
             {0, -baseHalfWidth},
             {tipX, -tipHalfWidth},
             {tipX, tipHalfWidth},
             {0, baseHalfWidth}}};
}

Rect alternateDisc(float R)
{
    const auto x =
        static_cast<float>(0.825 * static_cast<double>(R) - static_cast<double>(R) / 16.0);
    return {x, -(R / 16.0f), R / 8.0f, R / 8.0f};
}

} // namespace HandShapes
