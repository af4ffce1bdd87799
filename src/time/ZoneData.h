#pragma once

// Shared between TimeZone and DateFormatter; nothing outside the platform layer
// includes this.

#include <QHash>
#include <QString>

#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <memory>
#include <utility>

namespace ZoneDetail {

struct ZoneData
{
    QString name;
    std::unique_ptr<icu::TimeZone> zone;
    // Abbreviations change only with the zone's offset, so they are formatted once
    // per (raw offset, daylight offset) and then looked up.
    mutable std::unique_ptr<icu::SimpleDateFormat> abbreviationFormat;
    mutable QHash<std::pair<int, int>, QString> abbreviations;
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
