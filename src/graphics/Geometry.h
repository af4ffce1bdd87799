#pragma once

#include <algorithm>

namespace tockwise {

// Points, sizes and rectangles of the clock's geometry: single precision, y upward
// (the origin of a view at its lower left, of the screen at the lower left of the
// primary screen).

struct Point
{
    float x = 0;
    float y = 0;
    friend bool operator==(const Point &, const Point &) = default;
};

struct Size
{
    float width = 0;
    float height = 0;
    friend bool operator==(const Size &, const Size &) = default;
};

struct Rect
{
    float x = 0;
    float y = 0;
    float width = 0;
    float height = 0;

    Point origin() const { return {x, y}; }
    Size size() const { return {width, height}; }
    float maxX() const { return x + width; }
    float maxY() const { return y + height; }
    Rect insetBy(float dx, float dy) const
    {
        return {x + dx, y + dy, width - 2 * dx, height - 2 * dy};
    }
    friend bool operator==(const Rect &, const Rect &) = default;
};

} // namespace tockwise
