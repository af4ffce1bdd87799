#pragma once

#include "time/TimeZone.h"

namespace tockwise {

// Dial angles in degrees, counter-clockwise, 90 pointing to 12 o'clock; every
// angle lies in (-270, 90]. Each is computed in double precision and rounded to
// single precision once, at the end.
namespace HandAngles {

// The hour hand (and the alternate-zone hand): one turn in 12 hours, or in 24.
float hour(const TimeOfDay &time, bool twentyFour);
// The minute hand moves on every second.
float minute(const TimeOfDay &time);
// The second hand jumps from second to second.
float second(const TimeOfDay &time);

} // namespace HandAngles

} // namespace tockwise
