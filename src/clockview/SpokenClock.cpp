#include "clockview/SpokenClock.h"

#include "time/DateFormatter.h"

#include <QWidget>

#include <utility>

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

QString SpokenClock::name(const ClockModel &model, const TimeZone &zone)
{
    if (!model.namedZone) {
        //: What a screen reader calls a clock that follows this computer's time zone.
        return tr("Clock, local time");
    }
    const QString city = zone.exemplarCity();
    //: What a screen reader calls a clock: %1 is the city of its time zone, such as
    //: Tokyo, or the zone's name where it has no city (UTC).
    return tr("Clock, %1").arg(city.isEmpty() ? zone.name() : city);
}

QString SpokenClock::time(const ClockModel &model, const TimeZone &zone, Instant instant)
{
    // A 24-hour clock says so; any other says the time as the user's locale does.
    const QString hours = model.twentyFour ? QStringLiteral("Hmm") : QStringLiteral("jmm");
    const QString clock =
        DateFormatter::shared(DateFormatter::patternForSkeleton(hours), zone).format(instant);
    const QString day =
        DateFormatter::shared(DateFormatter::patternForSkeleton(QStringLiteral("EEEEMMMMd")), zone)
            .format(instant);
    //: What a screen reader says of a clock's time: %1 the time of day (10:42), %2 the
    //: weekday and the date (Monday, 7 December).
    return tr("%1, %2").arg(clock, day);
}

void SpokenClock::update(QWidget &window, const ClockModel &model, const TimeZone &zone,
                         Instant now)
{
    if (!QAccessible::isActive()) {
        mSaid.reset();
        return;
    }
    // Every zone's offset is whole minutes, so its minutes turn with UTC's.
    const Said said{&window,
                    std::chrono::floor<std::chrono::minutes>(now).time_since_epoch().count(),
                    zone.name(), !model.namedZone, model.twentyFour};
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
