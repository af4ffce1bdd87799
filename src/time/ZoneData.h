#pragma once

// Shared between TimeZone and DateFormatter; nothing outside the platform layer
// includes this.

#include <QString>
#include <QTimeZone>

#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <climits>
#include <memory>
#include <optional>

namespace ZoneDetail {

struct ZoneData
{
    QString name;
    std::unique_ptr<icu::TimeZone> zone;
    // The zone in the tz database, which names its abbreviations; looked for at
    // the first one asked, and invalid where the database lacks the zone.
    mutable std::optional<QTimeZone> database;
    // The last abbreviation given and the span between the zone's transitions that
    // it holds for (milliseconds since the epoch), so that a tick asks no more.
    mutable QString abbreviation;
    mutable qint64 abbreviationFrom = LLONG_MAX;
    mutable qint64 abbreviationUntil = LLONG_MIN;
};

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
