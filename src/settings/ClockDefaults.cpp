#include "settings/ClockDefaults.h"

#include "settings/SettingsKeys.h"
#include "store/SizeString.h"

namespace tockwise {

namespace {

PropertyList colorValue(const Color &color)
{
    return PropertyList::data(color.encode());
}

// Floats are stored as the double of the single-precision value, as a float
// number of the original platform is.
PropertyList floatValue(float value)
{
    return PropertyList::real(static_cast<double>(value));
}

} // namespace

namespace ClockDefaults {

Color faceColor()
{
    return Color::calibratedRGB(1.0f, 1.0f, static_cast<float>(240.0 / 255.0), 1.0f);
}

QStringList romanNumerals()
{
    return {QStringLiteral("I"),    QStringLiteral("II"),   QStringLiteral("III"),
            QStringLiteral("IIII"), QStringLiteral("V"),    QStringLiteral("VI"),
            QStringLiteral("VII"),  QStringLiteral("VIII"), QStringLiteral("IX"),
            QStringLiteral("X"),    QStringLiteral("XI"),   QStringLiteral("XII"),
            QStringLiteral("XIII"), QStringLiteral("XIV"),  QStringLiteral("XV"),
            QStringLiteral("XVI"),  QStringLiteral("XVII"), QStringLiteral("XVIII"),
            QStringLiteral("XIX"),  QStringLiteral("XX"),   QStringLiteral("XXI"),
            QStringLiteral("XXII"), QStringLiteral("XXIII")};
}

PropertyList::Dictionary defaultConfig()
{
    // One black value for all four black keys, as the stock settings share it.
    const PropertyList black = colorValue(Color::black());
    return {
        {Keys::Local, PropertyList::boolean(true)},
        {Keys::ClockSize, PropertyList::integer(128)},
        {Keys::FaceColor, colorValue(faceColor())},
        {Keys::Opacity, floatValue(0.5f)},
        {Keys::DrawBorder, PropertyList::integer(1)},
        {Keys::CenterFactor, PropertyList::string(SizeString::stringFromSize({0.25, 0.5}))},
        {Keys::RadiusFactor, floatValue(0.25f)},
        {Keys::HandColor, black},
        {Keys::SecondHandColor, black},
        {Keys::AlternateZoneColor, colorValue(Color::red())},
        {Keys::ShowSeconds, PropertyList::integer(1)},
        {Keys::PipStyle, PropertyList::integer(1)},
        {Keys::PipColor, black},
        {Keys::ShowDate, PropertyList::integer(1)},
        {Keys::ShowMeridian, PropertyList::integer(1)},
        {Keys::ShowTimeZone, PropertyList::integer(1)},
        {Keys::OtherDataColor, black},
    };
}

void applyFillIns(PropertyList::Dictionary &settings)
{
    const PropertyList hand = settings.value(Keys::HandColor);
    const auto fill = [&settings](const QString &key, const PropertyList &value) {
        if (!settings.contains(key) && !value.isNone()) {
            settings.insert(key, value);
        }
    };
    fill(Keys::PipColor, hand);
    fill(Keys::SecondHandColor, hand);
    fill(Keys::OtherDataColor, hand);
    fill(Keys::AlternateZoneColor, colorValue(Color::red()));
    fill(Keys::CenterFactor, PropertyList::string(SizeString::stringFromSize({0.5, 0.5})));
}

PropertyList::Dictionary viewRegisteredDefaults()
{
    return {
        {Keys::DrawBorder, PropertyList::integer(1)},  {Keys::PipStyle, PropertyList::integer(1)},
        {Keys::ShowSeconds, PropertyList::integer(1)}, {Keys::FaceColor, colorValue(faceColor())},
        {Keys::HandColor, colorValue(Color::black())}, {Keys::Opacity, floatValue(0.5f)},
        {Keys::ClockSize, PropertyList::integer(128)},
    };
}

PropertyList::Dictionary controllerRegisteredDefaults()
{
    PropertyList::Array numerals;
    for (const QString &numeral : romanNumerals()) {
        numerals.append(PropertyList::string(numeral));
    }
    return {
        {Keys::RomanNumerals, PropertyList::array(numerals)},
        {Keys::WindowLevel, PropertyList::integer(0)},
    };
}

} // namespace ClockDefaults

} // namespace tockwise
