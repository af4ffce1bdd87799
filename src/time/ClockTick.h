#pragma once

#include "time/TimeSource.h"

#include <QObject>

#include <optional>

namespace tockwise {

// The one tick that drives every clock, heard by every clock view. A tick comes
// only when some clock asked for it: each view, having drawn what a tick showed
// it, asks for the next second at which something it shows will change, and the
// application wakes at the earliest of those. Connections end with either side.
class ClockTick : public QObject
{
    Q_OBJECT

public:
    static ClockTick &instance();

    // Delivers a tick; the requests made during it are the ones that stand.
    void post();
    // Asks for a tick at the wall-clock `second` (TimeSource time) or earlier.
    void requestTick(Instant second);
    // The earliest second asked for since the last tick began.
    std::optional<Instant> earliestRequest() const { return mEarliest; }

Q_SIGNALS:
    void tick();
    // Outside a tick: a request earlier than all before it.
    void tickRequested(Instant second);

private:
    ClockTick() = default;

    std::optional<Instant> mEarliest;
    bool mPosting = false;
};

} // namespace tockwise
