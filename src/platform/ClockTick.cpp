#include "platform/ClockTick.h"

ClockTick &ClockTick::instance()
{
    static ClockTick tick;
    return tick;
}
