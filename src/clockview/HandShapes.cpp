#include "clockview/HandShapes.h"

#include <algorithm>
#include <cmath>

namespace tockwise {

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
    return taperedHand(R, hourReach * R);
}

Polygon minuteHand(float R)
{
    return taperedHand(R, minuteReach * R);
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

Rect turnedBounds(std::span<const Point> shape, Point center, float angle)
{
    const double radians = static_cast<double>(angle) * M_PI / 180.0;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    double minX = HUGE_VAL, minY = HUGE_VAL, maxX = -HUGE_VAL, maxY = -HUGE_VAL;
    for (const Point &p : shape) {
        const double x = center.x + p.x * c - p.y * s;
        const double y = center.y + p.x * s + p.y * c;
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
    }
    return {static_cast<float>(minX), static_cast<float>(minY), static_cast<float>(maxX - minX),
            static_cast<float>(maxY - minY)};
}

bool visiblyMoved(float from, float to, float length, double devicePixelRatio)
{
    constexpr double quarterPixel = 0.25;
    const double turn =
        std::fabs(static_cast<double>(to) - static_cast<double>(from)) * M_PI / 180.0;
    return static_cast<double>(length) * turn * devicePixelRatio >= quarterPixel;
}

} // namespace HandShapes

} // namespace tockwise
