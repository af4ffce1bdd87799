// The zones as the system's tz database has them, which is what `date` and the
// rest of the system read. ICU's own copy of the database is as old as ICU, and
// zones change their rules every year.

#include "time/ZoneData.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <chrono>
#include <cstdlib>

namespace tockwise {

namespace ZoneDetail {

namespace {

// The zone as the tz database has it. Qt reads the database, but takes a name
// the database lacks for a POSIX rule: ICU's "PST" is Los Angeles, Qt's a zone at
// UTC named PST. So the name is asked for only where the database has it, else
// ICU's canonical name or one ICU holds the same; invalid for a zone the database
// lacks.
QTimeZone databaseZone(const ZoneData &data)
{
    icu::UnicodeString id;
    icu::UnicodeString canonical;
    UBool known = false;
    UErrorCode status = U_ZERO_ERROR;
    icu::TimeZone::getCanonicalID(data.zone->getID(id), canonical, known, status);
    QStringList names = {data.name};
    if (U_SUCCESS(status) && known) {
        names << toQString(canonical);
    }
    for (int i = 0, count = icu::TimeZone::countEquivalentIDs(id); i < count; ++i) {
        names << toQString(icu::TimeZone::getEquivalentID(id, i));
    }
    const QString folder = databaseFolder() + u'/';
    for (const QString &name : std::as_const(names)) {
        if (QFileInfo(folder + name).isFile()) {
            return QTimeZone(name.toUtf8());
        }
    }
    return {};
}

// A zone outside the database (SystemV/EST5, GMT+05:30) has ICU's offset and
// short name, asked for again at every instant.
Period icuPeriod(const ZoneData &data, qint64 at)
{
    int raw = 0;
    int daylight = 0;
    UErrorCode status = U_ZERO_ERROR;
    data.zone->getOffset(double(at), false, raw, daylight, status);
    if (U_FAILURE(status)) {
        raw = daylight = 0;
    }
    icu::UnicodeString name;
    data.zone->getDisplayName(daylight != 0, icu::TimeZone::SHORT, userLocale(), name);
    return Period{at, at + 1, (raw + daylight) / 1000, toQString(name)};
}

} // namespace

QString databaseFolder()
{
    const char *tzdir = std::getenv("TZDIR");
    return tzdir && *tzdir ? QFile::decodeName(tzdir) : QStringLiteral("/usr/share/zoneinfo");
}

const Period &periodAt(const ZoneData &data, Instant instant)
{
    const qint64 at =
        std::chrono::floor<std::chrono::milliseconds>(instant).time_since_epoch().count();
    Period &period = data.period;
    if (at >= period.from && at < period.until) {
        return period;
    }
    if (!data.database) {
        data.database = databaseZone(data);
    }
    const QTimeZone &zone = *data.database;
    if (!zone.isValid()) {
        period = icuPeriod(data, at);
        return period;
    }
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(at, QTimeZone::utc());
    const QDateTime from = zone.previousTransition(when.addMSecs(1)).atUtc;
    const QDateTime until = zone.nextTransition(when).atUtc;
    period = Period{from.isValid() ? from.toMSecsSinceEpoch() : LLONG_MIN,
                    until.isValid() ? until.toMSecsSinceEpoch() : LLONG_MAX,
                    zone.offsetFromUtc(when), zone.abbreviation(when)};
    return period;
}

} // namespace ZoneDetail

} // namespace tockwise
