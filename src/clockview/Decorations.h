#pragma once

#include "graphics/Geometry.h"

namespace tockwise {

// The four texts of the dial: the weekday and date above the centre, the meridian
// marker and the zone below it, each centred across and each with a fixed place
// that does not move when another is switched off.
namespace Decorations {

float fontSize(float r);

// Each gives the lower-left corner of a text whose box measures `text`.
Point meridianOrigin(Point center, float r, Size text);
Point zoneOrigin(Point center, float r, Size text);
Point dateOrigin(Point center, float r, Size text);
Point weekdayOrigin(Point center, float r, Size text);

} // namespace Decorations

} // namespace tockwise
