#pragma once

#include "graphics/Geometry.h"

#include <array>
#include <span>

namespace tockwise {

// The hands in their own coordinates: origin at the dial centre, x along the hand
// toward its tip. Each of the three pointed hands is a closed polygon of five
// vertices (tail, side, two tip corners, side); R is the dial radius.
namespace HandShapes {

using Polygon = std::array<Point, 5>;

// How far the hands reach, as fractions of the dial radius: the tips of the hour
// and minute hands, and the centre of the alternate zone's disc.
inline constexpr float hourReach = 0.5f;
inline constexpr float minuteReach = 0.75f;
inline constexpr float alternateReach = 0.825f;
// The alternate zone's disc is drawn see-through, so that the hands show under it.
inline constexpr float alternateDiscAlpha = 0.625f;

Polygon hourHand(float R);
Polygon minuteHand(float R);
// As wide at the centre as at its tip, but never narrower there than one point.
Polygon secondHand(float R);
// The rectangle of the alternate-zone disc: radius R/16, centred 0.825 R out.
Rect alternateDisc(float R);

// The bounding rectangle of a shape turned by `angle` degrees about `center`.
Rect turnedBounds(std::span<const Point> shape, Point center, float angle);

// Whether a point `length` out from the centre moves by a quarter of a device
// pixel or more when its angle goes from `from` to `to` degrees.
bool visiblyMoved(float from, float to, float length, double devicePixelRatio);

} // namespace HandShapes

} // namespace tockwise
