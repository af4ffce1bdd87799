#include "settings/ClockModel.h"

#include "settings/ClockSettings.h"

namespace tockwise {

namespace {

std::optional<Color> decoded(const PropertyList *value)
{
    return value && value->asData() ? Color::decode(*value->asData()) : std::nullopt;
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

ClockModel ClockModel::read(const ObservableDictionary &settings)
{
    ClockModel model;
    for (const ClockSettings::Setting &setting : ClockSettings::all()) {
        if (setting.read) {
            setting.read(model, settings, setting.key);
        }
    }
    return model;
}

QStringList ClockModel::romanNumeralsOf(const PropertyList &stored)
{
    QStringList numerals;
    if (const PropertyList::Array *array = stored.asArray()) {
        for (const PropertyList &entry : *array) {
            numerals.append(entry.asString() ? *entry.asString() : QString());
        }
    }
    return numerals;
}

} // namespace tockwise
