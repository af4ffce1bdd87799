#pragma once

#include "settings/ClockModel.h"
#include "time/TimeZone.h"

#include <QCoreApplication>
#include <QString>

#include <cstdint>
#include <optional>

class QWidget;

// What a screen reader says of a clock: its name ("Clock, Tokyo") and the time it
// shows ("10:42 AM, Monday, December 7"), kept as its window's accessible name and
// description. They are set again only when they change, at the turn of a minute
// at most: a clock with a second hand must not talk over everything else once a
// second, and one without it need not wake more often for a screen reader.
class SpokenClock
{
    Q_DECLARE_TR_FUNCTIONS(SpokenClock)

public:
    static QString name(const ClockModel &model, const TimeZone &zone);
    static QString time(const ClockModel &model, const TimeZone &zone, Instant instant);

    // Taken at every sample of the time; it costs a comparison until the minute,
    // the zone or the window changes.
    void update(QWidget &window, const ClockModel &model, const TimeZone &zone, Instant now);

private:
    struct Said
    {
        const QWidget *window = nullptr;
        std::int64_t minute = 0;
        QString zone;
        bool local = false;
        bool twentyFour = false;
        friend bool operator==(const Said &, const Said &) = default;
    };
    std::optional<Said> mSaid;
};
