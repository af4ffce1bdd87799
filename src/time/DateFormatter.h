#pragma once

#include "time/TimeZone.h"

#include <QString>

#include <memory>

namespace tockwise {

// Formats instants in a zone with a UTS #35 pattern ("h:mm:ss a", "EEE") or with
// date and time styles, in the user's locale (LC_ALL, LC_TIME, LANG).
class DateFormatter
{
public:
    enum class Style
    {
        None,
        Short,
        Medium,
        Long,
        Full
    };

    DateFormatter(const QString &pattern, const TimeZone &zone);
    DateFormatter(Style dateStyle, Style timeStyle, const TimeZone &zone);
    ~DateFormatter();
    DateFormatter(DateFormatter &&) noexcept;
    DateFormatter &operator=(DateFormatter &&) noexcept;

    // Empty when the formatter could not be made (an unusable pattern).
    QString format(Instant instant) const;

    // Formatters are costly to make and are asked for on every frame; these give
    // one made earlier for the same pattern (or styles) and zone.
    static const DateFormatter &shared(const QString &pattern, const TimeZone &zone);
    static const DateFormatter &shared(Style dateStyle, Style timeStyle, const TimeZone &zone);

    // The user's locale's own pattern for a UTS #35 skeleton, which names only the
    // fields: "EEEEMMMMd" is "EEEE, MMMM d" in English, "EEEE, d. MMMM" in German.
    static QString patternForSkeleton(const QString &skeleton);

private:
    struct Impl;
    std::unique_ptr<Impl> mImpl;
};

} // namespace tockwise
