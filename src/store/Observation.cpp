#include "store/Observation.h"

#include <utility>

namespace tockwise {

Observation::Observation(std::function<void()> end) : mEnd(std::move(end))
{}

Observation::Observation(Observation &&other) noexcept : mEnd(std::exchange(other.mEnd, {}))
{}

Observation &Observation::operator=(Observation &&other) noexcept
{
    if (this != &other) {
        reset();
        mEnd = std::exchange(other.mEnd, {});
    }
    return *this;
}

Observation::~Observation()
{
    reset();
}

void Observation::reset()
{
    if (auto end = std::exchange(mEnd, {})) {
        end();
    }
}

} // namespace tockwise
