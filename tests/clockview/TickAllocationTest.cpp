// A tick in its steady state allocates nothing: every allocation of the process
// is counted while ticks run.

#include "ClockRendering.h"
#include "settings/SettingsKeys.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long> allocations{0};
std::atomic<bool> counting{false};

} // namespace

void *operator new(std::size_t size)
{
    if (counting.load(std::memory_order_relaxed)) {
        allocations.fetch_add(1, std::memory_order_relaxed);
    }
    if (void *memory = std::malloc(size ? size : 1)) {
        return memory;
    }
    throw std::bad_alloc();
}

void operator delete(void *memory) noexcept
{
    std::free(memory);
}

void operator delete(void *memory, std::size_t) noexcept
{
    std::free(memory);
}

TEST(TickAllocations, ASteadyTickAllocatesNothing)
{
    const PropertyList::Dictionary cases[] = {
        {},
        {{Keys::TimeZone, PropertyList::string(QStringLiteral("America/New_York"))},
         {Keys::AlternateTimeZone, PropertyList::string(QStringLiteral("Asia/Tokyo"))}},
        {{Keys::DigitalClock, PropertyList::boolean(true)}},
    };
    for (const PropertyList::Dictionary &settings : cases) {
        RenderedClock clock(utcInstant(2026, 12, 6, 10, 10, 30), settings);
        if (settings.isEmpty()) {
            clock.view.configData()->removeValue(Keys::TimeZone); // the system's zone
        }
        for (int second = 31; second < 34; ++second) {
            clock.now.set(utcInstant(2026, 12, 6, 10, 10, second));
            clock.view.timerFired();
        }
        allocations = 0;
        counting = true;
        for (int second = 34; second < 94; ++second) {
            clock.now.set(utcInstant(2026, 12, 6, 10, 10 + second / 60, second % 60));
            clock.view.timerFired();
        }
        counting = false;
        EXPECT_EQ(allocations.load(), 0) << settings.keys().join(u',').toStdString();
    }
}
