// The cost of one clock's tick: sampling the time and refreshing the caches.

#include "clockview/TKWView.h"
#include "settings/SettingsKeys.h"
#include "store/ObservableDictionary.h"
#include "window/TKWWindowController.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

using namespace tockwise;

namespace {

// Every allocation of the process, so that a tick that allocates shows in the
// report: a steady tick is meant to allocate nothing.
std::atomic<long> allocations{0};

} // namespace

void *operator new(std::size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    void *memory = std::malloc(size ? size : 1);
    return memory ? memory : throw std::bad_alloc();
}

void operator delete(void *memory) noexcept
{
    std::free(memory);
}

void operator delete(void *memory, std::size_t) noexcept
{
    std::free(memory);
}

namespace {

std::shared_ptr<ObservableDictionary> clock(const char *zone, bool alternate)
{
    PropertyList::Dictionary config = TKWWindowController::defaultConfig();
    if (zone) {
        config.insert(Keys::TimeZone, PropertyList::string(QString::fromUtf8(zone)));
    }
    if (alternate) {
        config.insert(Keys::AlternateTimeZone, PropertyList::string(QStringLiteral("Asia/Tokyo")));
    }
    return std::make_shared<ObservableDictionary>(config);
}

const Instant start = std::chrono::sys_days(std::chrono::year(2026) / 12 / 6);

void tick(benchmark::State &state, const char *zone, bool alternate, bool nextSecond)
{
    TKWView view;
    view.setModel(ClockModel::read(*clock(zone, alternate)));
    Instant now = start;
    PinnedTime pinned([&now] { return now; });
    view.cacheDrawingParameters(); // the first tick fills the caches
    const long before = allocations.load();
    for (auto _ : state) {
        if (nextSecond) {
            now += std::chrono::seconds(1);
        }
        view.cacheDrawingParameters();
        benchmark::DoNotOptimize(view.secondOfDay());
    }
    state.counters["allocations"] =
        benchmark::Counter(double(allocations.load() - before), benchmark::Counter::kAvgIterations);
}

void sameSecond(benchmark::State &state)
{
    tick(state, "America/New_York", false, false);
}
void nextSecond(benchmark::State &state)
{
    tick(state, "America/New_York", false, true);
}
void sameSecondSystemZone(benchmark::State &state)
{
    tick(state, nullptr, false, false);
}
void nextSecondWithAlternateHand(benchmark::State &state)
{
    tick(state, "America/New_York", true, true);
}

} // namespace

BENCHMARK(sameSecond);
BENCHMARK(nextSecond);
BENCHMARK(sameSecondSystemZone);
BENCHMARK(nextSecondWithAlternateHand);
