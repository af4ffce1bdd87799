#pragma once

// Shared within the time library; nothing outside the platform layer includes
// this.

#include "time/TimeSource.h"

#include <QString>
#include <QTimeZone>

#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <climits>
#include <memory>
#include <optional>

namespace tockwise {

namespace ZoneDetail {

// A stretch of a zone's time between two of its transitions, in milliseconds
// since the epoch, and what holds over it.
struct Period
{
    qint64 from = LLONG_MAX;
    qint64 until = LLONG_MIN;
    int offset = 0; // seconds east of Greenwich
    QString abbreviation;
};

struct ZoneData
{
    QString name;
    std::unique_ptr<icu::TimeZone> zone;
    // The zone in the tz database, looked for at the first period asked; invalid
    // where the database lacks the zone.
    mutable std::optional<QTimeZone> database;
    // The last period asked for, so that a tick asks no more.
    mutable Period period;
};

// Where the tz database lies, as glibc looks for it.
QString databaseFolder();
// The zone's offset and abbreviation at the instant as the tz database has them,
// and as `date` prints them; ICU's where the database lacks the zone.
const Period &periodAt(const ZoneData &data, Instant instant);

inline QString toQString(const icu::UnicodeString &text)
{
    return QString(reinterpret_cast<const QChar *>(text.getBuffer()), text.length());
}

inline icu::UnicodeString toUnicodeString(const QString &text)
{
    return icu::UnicodeString(reinterpret_cast<const UChar *>(text.utf16()),
                              static_cast<int32_t>(text.size()));
}

// The user's locale for dates: LC_ALL, then LC_TIME, then LANG.
const icu::Locale &userLocale();

} // namespace ZoneDetail

} // namespace tockwise
