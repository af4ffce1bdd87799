#include "time/DateFormatter.h"

#include "time/ZoneData.h"

#include <QHash>

#include <unicode/datefmt.h>
#include <unicode/dtptngen.h>
#include <unicode/smpdtfmt.h>

#include <functional>

namespace tockwise {

// Formats show the wall clock at Greenwich at the instant moved by the zone's
// offset, which is the tz database's: ICU's own data may predate a zone's rules.
struct DateFormatter::Impl
{
    explicit Impl(const TimeZone &zone) : zone(zone) {}

    std::unique_ptr<icu::DateFormat> format;
    TimeZone zone;
};

namespace {

icu::DateFormat::EStyle icuStyle(DateFormatter::Style style)
{
    switch (style) {
    case DateFormatter::Style::None:
        return icu::DateFormat::kNone;
    case DateFormatter::Style::Short:
        return icu::DateFormat::kShort;
    case DateFormatter::Style::Medium:
        return icu::DateFormat::kMedium;
    case DateFormatter::Style::Long:
        return icu::DateFormat::kLong;
    case DateFormatter::Style::Full:
        return icu::DateFormat::kFull;
    }
    return icu::DateFormat::kNone;
}

} // namespace

DateFormatter::DateFormatter(const QString &pattern, const TimeZone &zone)
    : mImpl(std::make_unique<Impl>(zone))
{
    UErrorCode status = U_ZERO_ERROR;
    auto format = std::make_unique<icu::SimpleDateFormat>(ZoneDetail::toUnicodeString(pattern),
                                                          ZoneDetail::userLocale(), status);
    if (U_SUCCESS(status)) {
        format->setTimeZone(*icu::TimeZone::getGMT());
        mImpl->format = std::move(format);
    }
}

DateFormatter::DateFormatter(Style dateStyle, Style timeStyle, const TimeZone &zone)
    : mImpl(std::make_unique<Impl>(zone))
{
    std::unique_ptr<icu::DateFormat> format(icu::DateFormat::createDateTimeInstance(
        icuStyle(dateStyle), icuStyle(timeStyle), ZoneDetail::userLocale()));
    if (format) {
        format->setTimeZone(*icu::TimeZone::getGMT());
        mImpl->format = std::move(format);
    }
}

DateFormatter::~DateFormatter() = default;
DateFormatter::DateFormatter(DateFormatter &&) noexcept = default;
DateFormatter &DateFormatter::operator=(DateFormatter &&) noexcept = default;

QString DateFormatter::format(Instant instant) const
{
    if (!mImpl || !mImpl->format) {
        return {};
    }
    const Instant wall = instant + std::chrono::seconds(mImpl->zone.secondsFromGMT(instant));
    const double udate = std::chrono::duration<double, std::milli>(wall.time_since_epoch()).count();
    icu::UnicodeString text;
    mImpl->format->format(udate, text);
    return ZoneDetail::toQString(text);
}

namespace {

// Few patterns and zones are ever in use at once; the table is emptied when odd
// ones pile up.
constexpr qsizetype maximumSharedFormatters = 256;

const DateFormatter &sharedFormatter(const QString &key, const std::function<DateFormatter()> &make)
{
    static QHash<QString, std::shared_ptr<const DateFormatter>> formatters;
    if (const auto it = formatters.constFind(key); it != formatters.cend()) {
        return *it.value();
    }
    if (formatters.size() >= maximumSharedFormatters) {
        formatters.clear();
    }
    return *formatters.insert(key, std::make_shared<const DateFormatter>(make())).value();
}

} // namespace

const DateFormatter &DateFormatter::shared(const QString &pattern, const TimeZone &zone)
{
    return sharedFormatter(u'p' + zone.name() + u'\n' + pattern,
                           [&] { return DateFormatter(pattern, zone); });
}

const DateFormatter &DateFormatter::shared(Style dateStyle, Style timeStyle, const TimeZone &zone)
{
    const QString key = u's' + zone.name() + u'\n' + QString::number(int(dateStyle)) + u'/' +
                        QString::number(int(timeStyle));
    return sharedFormatter(key, [&] { return DateFormatter(dateStyle, timeStyle, zone); });
}

QString DateFormatter::patternForSkeleton(const QString &skeleton)
{
    // The generator reads much of the locale's data as it is made: once a process.
    static const std::unique_ptr<icu::DateTimePatternGenerator> generator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::DateTimePatternGenerator> made(
            icu::DateTimePatternGenerator::createInstance(ZoneDetail::userLocale(), status));
        return U_SUCCESS(status) ? std::move(made) : nullptr;
    }();
    static QHash<QString, QString> patterns;
    if (const auto it = patterns.constFind(skeleton); it != patterns.cend()) {
        return it.value();
    }
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString best =
        generator ? generator->getBestPattern(ZoneDetail::toUnicodeString(skeleton), status)
                  : icu::UnicodeString();
    // Without the locale's data the fields still come out, in the skeleton's order.
    const QString pattern = generator && U_SUCCESS(status) ? ZoneDetail::toQString(best) : skeleton;
    patterns.insert(skeleton, pattern);
    return pattern;
}

} // namespace tockwise
