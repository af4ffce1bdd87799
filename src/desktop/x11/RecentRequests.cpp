#include "desktop/x11/RecentRequests.h"

namespace tockwise {

void RecentRequests::add(std::uint32_t sequence, xcb_window_t window)
{
    Run &latest = mRuns[(mNext + runsKept - 1) % runsKept];
    if (latest.window == window && latest.last + 1 == sequence) {
        latest.last = sequence;
        return;
    }
    mRuns[mNext] = {sequence, sequence, window};
    mNext = (mNext + 1) % runsKept;
}

xcb_window_t RecentRequests::windowOf(std::uint32_t sequence) const
{
    for (const Run &run : mRuns) {
        // Counted from the run's first, so that a run across the numbers' wrap holds.
        if (run.window != XCB_NONE && sequence - run.first <= run.last - run.first) {
            return run.window;
        }
    }
    return XCB_NONE;
}

} // namespace tockwise
