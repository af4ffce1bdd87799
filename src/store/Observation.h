#pragma once

#include <functional>

namespace tockwise {

// An observation that ends when this handle is destroyed or reset, so that no
// notification can reach an observer after it is gone. Movable, not copyable.
class Observation
{
public:
    Observation() = default;
    explicit Observation(std::function<void()> end);
    Observation(Observation &&other) noexcept;
    Observation &operator=(Observation &&other) noexcept;
    Observation(const Observation &) = delete;
    Observation &operator=(const Observation &) = delete;
    ~Observation();

    // Ends the observation now; harmless when it has already ended.
    void reset();
    bool isActive() const { return static_cast<bool>(mEnd); }

private:
    std::function<void()> mEnd;
};

} // namespace tockwise
