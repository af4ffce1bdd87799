#include "clockview/HandAngles.h"

namespace tockwise {

namespace HandAngles {

namespace {

double fractionOfHour(const TimeOfDay &time)
{
    return (time.minute * 60 + time.second) / 3600.0;
}

} // namespace

float hour(const TimeOfDay &time, bool twentyFour)
{
    const double frac = fractionOfHour(time);
    if (twentyFour) {
        return static_cast<float>(90.0 - 15.0 * (time.hour + frac));
    }
    return static_cast<float>(90.0 - 30.0 * ((time.hour % 12) + frac));
}

float minute(const TimeOfDay &time)
{
    return static_cast<float>(90.0 - 6.0 * (time.minute + time.second / 60.0));
}

float second(const TimeOfDay &time)
{
    return static_cast<float>(90.0 - 6.0 * time.second);
}

} // namespace HandAngles

} // namespace tockwise
