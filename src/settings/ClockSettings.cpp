#include "settings/ClockSettings.h"

#include "settings/ClockDefaults.h"
#include "settings/ClockModel.h"
#include "settings/SettingsKeys.h"
#include "store/ObservableDictionary.h"
#include "store/SizeString.h"

#include <algorithm>
#include <limits>
#include <type_traits>
#include <vector>

namespace tockwise {

namespace ClockSettings {

namespace {

using Kind = SettingKinds::Kind;

PropertyList colorValue(const Color &color)
{
    return PropertyList::data(color.encode());
}

// Floats are stored as the double of the single-precision value, as files
// written by earlier versions hold them.
PropertyList floatValue(float value)
{
    return PropertyList::real(static_cast<double>(value));
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

// The field's type says how the stored value is read. A colour other than the
// face's is the hand colour where the key has none, and fades with the hands.
template <auto field>
void into(ClockModel &model, const ObservableDictionary &settings, const QString &key)
{
    using Field = std::remove_cvref_t<decltype(model.*field)>;
    const PropertyList *value = settings.value(key);
    const QString *text = value ? value->asString() : nullptr;
    if constexpr (std::is_same_v<Field, bool>) {
        model.*field = ClockModel::boolSettingForKey(value);
    } else if constexpr (std::is_same_v<Field, std::int32_t>) {
        model.*field = ClockModel::integerSettingForKey(value);
    } else if constexpr (std::is_same_v<Field, float>) {
        model.*field = ClockModel::floatSettingForKey(value);
    } else if constexpr (std::is_same_v<Field, ClockModel::PipStyle>) {
        model.*field = pipStyleOf(ClockModel::integerSettingForKey(value));
    } else if constexpr (std::is_same_v<Field, QSizeF>) {
        model.*field = text ? SizeString::sizeFromString(*text) : QSizeF(0, 0);
    } else if constexpr (std::is_same_v<Field, std::optional<TimeZone>>) {
        model.*field = text ? TimeZone::named(*text) : std::nullopt;
    } else {
        static_assert(std::is_same_v<Field, Color>);
        model.*field = ClockModel::colorSettingForKey(
            value, settings.value(Keys::HandColor),
            ClockModel::boolSettingForKey(settings.value(Keys::FadeHands)),
            ClockModel::floatSettingForKey(settings.value(Keys::Opacity)));
    }
}

// The face colour is never faded, and a missing or damaged one is the stock face
// rather than nothing.
void faceColor(ClockModel &model, const ObservableDictionary &settings, const QString &key)
{
    const PropertyList *value = settings.value(key);
    model.faceColor = (value && value->asData() ? Color::decode(*value->asData()) : std::nullopt)
                          .value_or(ClockDefaults::faceColor());
}

// The stock settings store their switches as integers, and share one black.
PropertyList stockOn()
{
    return PropertyList::integer(1);
}

PropertyList stockBlack()
{
    return colorValue(Color::black());
}

// The zones, the size and the kind of clock.
std::vector<Setting> zoneAndSizeSettings()
{
    return {
        {.key = Keys::TimeZone,
         .kind = Kind::ZoneName,
         .read = into<&ClockModel::namedZone>,
         .change = Change::Resize},
        {.key = Keys::AlternateTimeZone,
         .kind = Kind::ZoneName,
         .read = into<&ClockModel::alternateZone>,
         .change = Change::Readout},
        {.key = Keys::Local, .kind = Kind::Boolean, .stock = PropertyList::boolean(true)},
        {.key = Keys::ClockSize,
         .kind = Kind::Integer,
         .low = SettingKinds::smallestClockSize,
         .high = SettingKinds::largestClockSize,
         .stock = PropertyList::integer(128),
         .read = into<&ClockModel::clockSize>,
         .change = Change::Resize,
         .singleClock = true},
        {.key = Keys::DigitalClock,
         .kind = Kind::Boolean,
         .read = into<&ClockModel::digital>,
         .change = Change::Resize},
    };
}

// The face: colour, border, picture and the dial on it.
std::vector<Setting> faceSettings()
{
    return {
        {.key = Keys::FaceColor,
         .kind = Kind::Color,
         .stock = colorValue(ClockDefaults::faceColor()),
         .read = faceColor,
         .change = Change::Redraw,
         .singleClock = true},
        {.key = Keys::Opacity,
         .kind = Kind::Real,
         .low = 0,
         .high = 1,
         .stock = floatValue(0.5f),
         .read = into<&ClockModel::opacity>,
         .change = Change::Redraw,
         .singleClock = true},
        {.key = Keys::DrawBorder,
         .kind = Kind::Boolean,
         .stock = stockOn(),
         .read = into<&ClockModel::drawBorder>,
         .change = Change::Readout,
         .singleClock = true},
        {.key = Keys::UseFaceImage,
         .kind = Kind::Boolean,
         .read = into<&ClockModel::useFaceImage>,
         .change = Change::Picture,
         .singleClock = true},
        // Read by the clock's controller, which follows the alias to the file.
        {.key = Keys::FaceImage,
         .kind = Kind::Picture,
         .change = Change::Picture,
         .singleClock = true},
        {.key = Keys::CenterFactor,
         .kind = Kind::CenterSize,
         .low = 0,
         .high = 1,
         .stock = PropertyList::string(SizeString::stringFromSize({0.25, 0.5})),
         .read = into<&ClockModel::centerFactor>,
         .change = Change::Dial},
        // A dial may reach beyond a narrow picture's width; 0 means half its smaller side.
        {.key = Keys::RadiusFactor,
         .kind = Kind::Real,
         .low = 0,
         .high = std::numeric_limits<double>::max(),
         .stock = floatValue(0.25f),
         .read = into<&ClockModel::radiusFactor>,
         .change = Change::Dial},
    };
}

// The hands.
std::vector<Setting> handsSettings()
{
    return {
        {.key = Keys::HandColor,
         .kind = Kind::Color,
         .stock = stockBlack(),
         .read = into<&ClockModel::handColor>,
         .change = Change::Redraw,
         .singleClock = true},
        {.key = Keys::SecondHandColor,
         .kind = Kind::Color,
         .stock = stockBlack(),
         .read = into<&ClockModel::secondHandColor>,
         .change = Change::Redraw,
         .singleClock = true},
        {.key = Keys::AlternateZoneColor,
         .kind = Kind::Color,
         .stock = colorValue(Color::red()),
         .read = into<&ClockModel::alternateZoneColor>,
         .change = Change::Redraw},
        {.key = Keys::FadeHands,
         .kind = Kind::Boolean,
         .read = into<&ClockModel::fadeHands>,
         .change = Change::Redraw},
        {.key = Keys::ShowSeconds,
         .kind = Kind::Boolean,
         .stock = stockOn(),
         .read = into<&ClockModel::showSeconds>,
         .change = Change::Readout,
         .singleClock = true},
    };
}

// The marks of the dial.
std::vector<Setting> marksSettings()
{
    return {
        {.key = Keys::PipStyle,
         .kind = Kind::Integer,
         .low = 0,
         .high = 3,
         .stock = stockOn(),
         .read = into<&ClockModel::pipStyle>,
         .change = Change::Readout,
         .singleClock = true},
        {.key = Keys::MinutePips,
         .kind = Kind::Boolean,
         .read = into<&ClockModel::minutePips>,
         .change = Change::Readout,
         .singleClock = true},
        {.key = Keys::PipColor,
         .kind = Kind::Color,
         .stock = stockBlack(),
         .read = into<&ClockModel::pipColor>,
         .change = Change::Redraw,
         .singleClock = true},
        {.key = Keys::TwentyFour,
         .kind = Kind::Boolean,
         .read = into<&ClockModel::twentyFour>,
         .change = Change::Readout},
    };
}

// The texts.
std::vector<Setting> textsSettings()
{
    return {
        {.key = Keys::ShowDate,
         .kind = Kind::Boolean,
         .stock = stockOn(),
         .read = into<&ClockModel::showDate>,
         .change = Change::Readout,
         .singleClock = true},
        {.key = Keys::ShowDayOnly,
         .kind = Kind::Boolean,
         .read = into<&ClockModel::showDayOnly>,
         .change = Change::Readout},
        {.key = Keys::ShowWeekday,
         .kind = Kind::Boolean,
         .read = into<&ClockModel::showWeekday>,
         .change = Change::Readout,
         .singleClock = true},
        {.key = Keys::ShowMeridian,
         .kind = Kind::Boolean,
         .stock = stockOn(),
         .read = into<&ClockModel::showMeridian>,
         .change = Change::Readout,
         .singleClock = true},
        {.key = Keys::ShowTimeZone,
         .kind = Kind::Boolean,
         .stock = stockOn(),
         .read = into<&ClockModel::showTimeZone>,
         .change = Change::Readout,
         .singleClock = true},
        {.key = Keys::OtherDataColor,
         .kind = Kind::Color,
         .stock = stockBlack(),
         .read = into<&ClockModel::otherDataColor>,
         .change = Change::Redraw},
    };
}

// In the order a misspelt key is matched against them.
const std::vector<Setting> &table()
{
    static const std::vector<Setting> settings = [] {
        std::vector<Setting> rows;
        for (const std::vector<Setting> &part :
             {zoneAndSizeSettings(), faceSettings(), handsSettings(), marksSettings(),
              textsSettings()}) {
            rows.insert(rows.end(), part.begin(), part.end());
        }
        return rows;
    }();
    return settings;
}

} // namespace

std::span<const Setting> all()
{
    return table();
}

const Setting *find(const QString &key)
{
    const auto &settings = table();
    const auto found = std::find_if(settings.begin(), settings.end(),
                                    [&key](const Setting &setting) { return setting.key == key; });
    return found == settings.end() ? nullptr : &*found;
}

Change changeOf(const QString &key)
{
    const Setting *setting = find(key);
    return setting ? setting->change : Change::None;
}

} // namespace ClockSettings

} // namespace tockwise
