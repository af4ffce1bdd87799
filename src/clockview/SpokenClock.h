#pragma once

#include "settings/ClockModel.h"
#include "time/TimeZone.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class QWidget;

namespace tockwise {

// What a screen reader says of a clock: its name ("Clock, Tokyo") and the time it shows
// ("10:42 AM, Monday, December 7", and "; 1:42 AM in London" where a hand shows a
// second zone), kept as its window's accessible name and description. They are set
// again only when they change, at the turn of a minute at most: a clock with a second
// hand must not talk over everything else once a second, and one without it need not
// wake more often for a screen reader. Nothing is worked out while no screen reader
// listens (the formats behind the time cost a launch a few milliseconds); one that
// comes hears the clock at once.
class SpokenClock : private QAccessible::ActivationObserver
{
    Q_DECLARE_TR_FUNCTIONS(SpokenClock)

public:
    // `sayNow` is asked to call update() when a screen reader starts listening.
    explicit SpokenClock(std::function<void()> sayNow);
    ~SpokenClock() override;
    SpokenClock(const SpokenClock &) = delete;
    SpokenClock &operator=(const SpokenClock &) = delete;

    static QString name(const ClockModel &model, const TimeZone &zone);
    static QString time(const ClockModel &model, const TimeZone &zone, Instant instant);

    // Taken at every sample of the time; it costs a comparison until the minute,
    // the zone or the window changes.
    void update(QWidget &window, const ClockModel &model, const TimeZone &zone, Instant now);

private:
    void accessibilityActiveChanged(bool active) override;

    std::function<void()> mSayNow;
    struct Said
    {
        const QWidget *window = nullptr;
        std::int64_t minute = 0;
        QString zone;
        QString alternateZone;
        bool local = false;
        bool twentyFour = false;
        friend bool operator==(const Said &, const Said &) = default;
    };
    std::optional<Said> mSaid;
};

} // namespace tockwise
