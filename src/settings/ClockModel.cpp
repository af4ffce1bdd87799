#include "settings/ClockModel.h"

#include "settings/ClockDefaults.h"
#include "settings/SettingsKeys.h"
#include "store/ObservableDictionary.h"
#include "store/SizeString.h"
#include "store/UserDefaults.h"

namespace tockwise {

namespace {

std::optional<TimeZone> zoneNamed(const PropertyList *name)
{
    return name && name->asString() ? TimeZone::named(*name->asString()) : std::nullopt;
}

std::optional<Color> decoded(const PropertyList *value)
{
    return value && value->asData() ? Color::decode(*value->asData()) : std::nullopt;
}

ClockModel::PipStyle pipStyleOf(std::int32_t stored)
{
    switch (stored) {
    case 0:
        return ClockModel::PipStyle::None;
    case 1:
        return ClockModel::PipStyle::Dots;
    case 2:
        return ClockModel::PipStyle::Roman;
    case 3:
        return ClockModel::PipStyle::Arabic;
    default:
        return ClockModel::PipStyle::Unknown;
    }
}

} // namespace

bool ClockModel::boolSettingForKey(const PropertyList *value)
{
    return value ? value->boolValue().value_or(false) : false;
}

std::int32_t ClockModel::integerSettingForKey(const PropertyList *value)
{
    return value ? value->intValue().value_or(0) : 0;
}

float ClockModel::floatSettingForKey(const PropertyList *value)
{
    return value ? value->floatValue().value_or(0.0f) : 0.0f;
}

Color ClockModel::colorSettingForKey(const PropertyList *value, const PropertyList *handColor,
                                     bool fadeHands, float opacity)
{
    // Damaged colour data (or no hand colour at all) still gives a visible clock.
    const Color color = decoded(value ? value : handColor).value_or(Color::black());
    return fadeHands ? color.withAlphaComponent(opacity) : color;
}

Color ClockModel::borderColor(const Color &color)
{
    const std::optional<Color> rgb = color.usingCalibratedRGB();
    if (!rgb) {
        return Color::black();
    }
    // The order of the sums is part of the result: it decides the colours whose
    // luminance lies within a rounding of 0.3.
    double luminance = static_cast<double>(rgb->greenComponent()) * 0.59;
    luminance = static_cast<double>(rgb->redComponent()) * 0.3 + luminance;
    luminance = luminance + static_cast<double>(rgb->blueComponent()) * 0.11;
    const float y = static_cast<float>(luminance);
    return static_cast<double>(y) < 0.3 ? Color::white() : Color::black();
}

ClockModel ClockModel::read(const ObservableDictionary *settings)
{
    const auto value = [settings](const QString &key) {
        return settings ? settings->value(key) : nullptr;
    };
    const auto flag = [&value](const QString &key) { return boolSettingForKey(value(key)); };
    const auto integer = [settings, &value](const QString &key) {
        // Only a clock that has no settings yet asks the user defaults.
        return settings ? integerSettingForKey(value(key))
                        : static_cast<std::int32_t>(UserDefaults::standard().integerForKey(key));
    };

    ClockModel model;
    model.digital = flag(Keys::DigitalClock);
    model.showSeconds = flag(Keys::ShowSeconds);
    model.twentyFour = flag(Keys::TwentyFour);
    model.showMeridian = flag(Keys::ShowMeridian);
    model.showDate = flag(Keys::ShowDate);
    model.showDayOnly = flag(Keys::ShowDayOnly);
    model.showWeekday = flag(Keys::ShowWeekday);
    model.showTimeZone = flag(Keys::ShowTimeZone);
    model.drawBorder = flag(Keys::DrawBorder);
    model.useFaceImage = flag(Keys::UseFaceImage);
    model.minutePips = flag(Keys::MinutePips);
    model.fadeHands = flag(Keys::FadeHands);
    model.clockSize = integer(Keys::ClockSize);
    model.pipStyle = pipStyleOf(integer(Keys::PipStyle));
    model.opacity = floatSettingForKey(value(Keys::Opacity));
    const PropertyList *center = value(Keys::CenterFactor);
    model.centerFactor = center && center->asString()
                             ? SizeString::sizeFromString(*center->asString())
                             : QSizeF(0, 0);
    model.radiusFactor = floatSettingForKey(value(Keys::RadiusFactor));
    if (const PropertyList *picture = value(Keys::FaceImage)) {
        model.faceImage = *picture;
    }

    model.faceColor = decoded(value(Keys::FaceColor)).value_or(ClockDefaults::faceColor());
    const PropertyList *hands = value(Keys::HandColor);
    const auto color = [&](const QString &key) {
        return colorSettingForKey(value(key), hands, model.fadeHands, model.opacity);
    };
    model.handColor = color(Keys::HandColor);
    model.secondHandColor = color(Keys::SecondHandColor);
    model.pipColor = color(Keys::PipColor);
    model.otherDataColor = color(Keys::OtherDataColor);
    model.alternateZoneColor = color(Keys::AlternateZoneColor);

    model.namedZone = zoneNamed(value(Keys::TimeZone));
    model.alternateZone = zoneNamed(value(Keys::AlternateTimeZone));
    return model;
}

} // namespace tockwise
