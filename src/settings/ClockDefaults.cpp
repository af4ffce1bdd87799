#include "settings/ClockDefaults.h"

#include "settings/ClockSettings.h"
#include "settings/SettingsKeys.h"
#include "store/SizeString.h"

namespace tockwise {

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
    PropertyList::Dictionary settings;
    for (const ClockSettings::Setting &setting : ClockSettings::all()) {
        if (!setting.stock.isNone()) {
            settings.insert(setting.key, setting.stock);
        }
    }
    return settings;
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
    fill(Keys::AlternateZoneColor, PropertyList::data(Color::red().encode()));
    fill(Keys::CenterFactor, PropertyList::string(SizeString::stringFromSize({0.5, 0.5})));
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
