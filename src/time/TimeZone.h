#pragma once

#include "time/TimeSource.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace tockwise {

struct TimeOfDay
{
    int hour = 0; // 0 to 23
    int minute = 0;
    int second = 0;

    int secondOfDay() const { return hour * 3600 + minute * 60 + second; }
    friend bool operator==(const TimeOfDay &, const TimeOfDay &) = default;
};

namespace ZoneDetail {
struct ZoneData;
}

// A time zone of the tz database: named and placed through ICU, its offsets and
// abbreviations read from the system's database, as `date` reads them. Cheap to
// copy; zones are looked up once per process and then shared.
class TimeZone
{
public:
    // None for a name that names no zone: "", a region such as "Europe", a typo.
    static std::optional<TimeZone> named(const QString &name);
    // The host's zone as it is at this moment (TZ, /etc/localtime, /etc/timezone),
    // so that a change of the machine's zone reaches the next call.
    static TimeZone system();
    // The location zones of the tz database (zone1970.tab and zone.tab) that ICU
    // resolves, plus "GMT" and "UTC", sorted.
    static QStringList knownTimeZoneNames();

    // Where the host's zone is read from; tests point these at files of their own.
    static void setHostZoneFiles(const QString &localtimePath, const QString &timezonePath);
    static QStringList hostZoneFiles();
    // Someone saw the files change: the next system() looks at them again.
    static void hostZoneFilesChanged();
    // Whether someone watches the files and says when they change, so that
    // system() need not keep looking.
    static void setHostZoneWatched(bool watched);

    QString name() const;
    TimeOfDay timeOfDay(Instant instant) const;
    int secondsFromGMT(Instant instant) const;
    // The zone's abbreviation at the instant as the tz database names it and
    // `date +%Z` prints it, in every language: "JST", "CEST", "IST", "+0545".
    QString abbreviation(Instant instant) const;
    // The zone's city in the user's language ("Tokio" for Asia/Tokyo in German);
    // empty for a zone of no place, such as UTC.
    QString exemplarCity() const;

    friend bool operator==(const TimeZone &a, const TimeZone &b) { return a.name() == b.name(); }

    const ZoneDetail::ZoneData &data() const { return *mData; }

private:
    explicit TimeZone(std::shared_ptr<ZoneDetail::ZoneData> data);

    std::shared_ptr<ZoneDetail::ZoneData> mData;
};

} // namespace tockwise
