#pragma once

#include <chrono>
#include <functional>

namespace tockwise {

// An instant on the wall clock.
using Instant = std::chrono::system_clock::time_point;

// The one source of "now" that clocks read, so that tests and rendering can pin
// an instant. Main thread only.
namespace TimeSource {

Instant now();
// Replaces the source; an empty function restores the system clock.
void setSource(std::function<Instant()> source);

} // namespace TimeSource

// Pins "now" to one instant (or a moving source) while it lives.
class PinnedTime
{
public:
    explicit PinnedTime(Instant instant);
    explicit PinnedTime(std::function<Instant()> source);
    ~PinnedTime();
    PinnedTime(const PinnedTime &) = delete;
    PinnedTime &operator=(const PinnedTime &) = delete;

    void set(Instant instant);

private:
    Instant mInstant;
};

} // namespace tockwise
