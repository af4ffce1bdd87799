#include "platform/DateFormatter.h"

#include "platform/ZoneData.h"

#include <unicode/datefmt.h>

struct DateFormatter::Impl
{
    std::unique_ptr<icu::DateFormat> format;
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
    : mImpl(std::make_unique<Impl>())
{
    UErrorCode status = U_ZERO_ERROR;
    auto format = std::make_unique<icu::SimpleDateFormat>(ZoneDetail::toUnicodeString(pattern),
                                                          ZoneDetail::userLocale(), status);
    if (U_SUCCESS(status)) {
        format->setTimeZone(*zone.data().zone);
        mImpl->format = std::move(format);
    }
}

DateFormatter::DateFormatter(Style dateStyle, Style timeStyle, const TimeZone &zone)
    : mImpl(std::make_unique<Impl>())
{
    std::unique_ptr<icu::DateFormat> format(icu::DateFormat::createDateTimeInstance(
        icuStyle(dateStyle), icuStyle(timeStyle), ZoneDetail::userLocale()));
    if (format) {
        format->setTimeZone(*zone.data().zone);
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
    const double udate =
        std::chrono::duration<double, std::milli>(instant.time_since_epoch()).count();
    icu::UnicodeString text;
    mImpl->format->format(udate, text);
    return ZoneDetail::toQString(text);
}
