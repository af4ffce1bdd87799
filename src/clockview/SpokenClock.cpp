#include "clockview/SpokenClock.h"

#include "time/DateFormatter.h"

#include <QWidget>

#include <utility>

namespace tockwise {

SpokenClock::SpokenClock(std::function<void()> sayNow) : mSayNow(std::move(sayNow))
{
    QAccessible::installActivationObserver(this);
}

SpokenClock::~SpokenClock()
{
    QAccessible::removeActivationObserver(this);
}

void SpokenClock::accessibilityActiveChanged(bool active)
{
    if (active) {
        mSayNow();
    }
}

namespace {

// A zone as a listener knows it: its city in the user's language, or its name
// where it has no city (UTC).
QString placeOf(const TimeZone &zone)
{
    const QString city = zone.exemplarCity();
    return city.isEmpty() ? zone.name() : city;
}

} // namespace

QString SpokenClock::name(const ClockModel &model, const TimeZone &zone)
{
    if (!model.namedZone) {
        //: What a screen reader calls a clock that follows this computer's time zone.
        return tr("Clock, local time");
    }
    //: What a screen reader calls a clock: %1 is the city of its time zone, such as
    //: Tokyo, or the zone's name where it has no city (UTC).
    return tr("Clock, %1").arg(placeOf(zone));
}

QString SpokenClock::time(const ClockModel &model, const TimeZone &zone, Instant instant)
{
    // A 24-hour clock says so; any other says the time as the user's locale does.
    const QString hours = DateFormatter::patternForSkeleton(
        model.twentyFour ? QStringLiteral("Hmm") : QStringLiteral("jmm"));
    const QString clock = DateFormatter::shared(hours, zone).format(instant);
    const QString day =
        DateFormatter::shared(DateFormatter::patternForSkeleton(QStringLiteral("EEEEMMMMd")), zone)
            .format(instant);
    //: What a screen reader says of a clock's time: %1 the time of day (10:42), %2 the
    //: weekday and the date (Monday, 7 December).
    const QString spoken = tr("%1, %2").arg(clock, day);
    if (!model.alternateZone) {
        return spoken;
    }
    const TimeZone &other = *model.alternateZone;
    //: What a screen reader says of a clock with a hand for a second time zone: %1 the
    //: clock's own time and date, %2 the time in the second zone (1:42 AM), %3 its city.
    return tr("%1; %2 in %3")
        .arg(spoken, DateFormatter::shared(hours, other).format(instant), placeOf(other));
}

void SpokenClock::update(QWidget &window, const ClockModel &model, const TimeZone &zone,
                         Instant now)
{
    if (!QAccessible::isActive()) {
        mSaid.reset();
        return;
    }
    // Every zone's offset is whole minutes, so its minutes turn with UTC's.
    const Said said{.window = &window,
                    .minute =
                        std::chrono::floor<std::chrono::minutes>(now).time_since_epoch().count(),
                    .zone = zone.name(),
                    .alternateZone = model.alternateZone ? model.alternateZone->name() : QString(),
                    .local = !model.namedZone,
                    .twentyFour = model.twentyFour};
    if (said == mSaid) {
        return;
    }
    mSaid = said;
    // Qt tells screen readers of every call, even one that changes nothing.
    if (const QString spoken = name(model, zone); window.accessibleName() != spoken) {
        window.setAccessibleName(spoken);
    }
    if (const QString spoken = time(model, zone, now); window.accessibleDescription() != spoken) {
        window.setAccessibleDescription(spoken);
    }
}

} // namespace tockwise
