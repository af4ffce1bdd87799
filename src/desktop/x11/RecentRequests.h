#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <xcb/xcb.h>

namespace tockwise {

// Which window each of the latest requests written to the X server went to, by
// full sequence number (as xcb gives one with an error or a cookie), so that an
// error tells whose request was refused. Errors come back within a round trip,
// and requests to a window go in runs: the latest runs are enough.
class RecentRequests
{
public:
    void add(std::uint32_t sequence, xcb_window_t window);
    // The window request `sequence` went to, or XCB_NONE where it is not one kept.
    xcb_window_t windowOf(std::uint32_t sequence) const;

private:
    struct Run
    {
        std::uint32_t first = 0;
        std::uint32_t last = 0;
        xcb_window_t window = XCB_NONE;
    };
    static constexpr std::size_t runsKept = 64;

    std::array<Run, runsKept> mRuns{};
    std::size_t mNext = 0;
};

} // namespace tockwise
