#include "time/TimeSource.h"

namespace tockwise {

namespace {

std::function<Instant()> &source()
{
    static std::function<Instant()> current;
    return current;
}

} // namespace

namespace TimeSource {

Instant now()
{
    const auto &current = source();
    return current ? current() : std::chrono::system_clock::now();
}

void setSource(std::function<Instant()> newSource)
{
    source() = std::move(newSource);
}

} // namespace TimeSource

PinnedTime::PinnedTime(Instant instant) : mInstant(instant)
{
    TimeSource::setSource([this] { return mInstant; });
}

PinnedTime::PinnedTime(std::function<Instant()> source)
{
    TimeSource::setSource(std::move(source));
}

PinnedTime::~PinnedTime()
{
    TimeSource::setSource({});
}

void PinnedTime::set(Instant instant)
{
    mInstant = instant;
    TimeSource::setSource([this] { return mInstant; });
}

} // namespace tockwise
