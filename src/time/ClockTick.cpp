#include "time/ClockTick.h"

namespace tockwise {

ClockTick &ClockTick::instance()
{
    static ClockTick tick;
    return tick;
}

void ClockTick::post()
{
    mEarliest.reset();
    mPosting = true;
    Q_EMIT tick();
    mPosting = false;
}

void ClockTick::requestTick(Instant second)
{
    if (mEarliest && *mEarliest <= second) {
        return;
    }
    mEarliest = second;
    if (!mPosting) {
        Q_EMIT tickRequested(second);
    }
}

} // namespace tockwise
