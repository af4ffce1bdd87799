#pragma once

#include "graphics/Color.h"
#include "store/PropertyList.h"
#include "time/TimeZone.h"

#include <QSizeF>
#include <QString>

#include <cstdint>
#include <optional>

namespace tockwise {

class ObservableDictionary;

// A clock's settings as the clock is drawn and placed from them: read once from
// its settings dictionary whenever that changes. Every conversion of a stored
// value, every fill-in and every fading happens here, and nowhere else; absent or
// mistyped values read as none, NO, 0 or 0.0.
struct ClockModel
{
    // The marks around the dial. A number the file holds but no style answers to
    // draws no marks, though minute marks still show beside it.
    enum class PipStyle
    {
        None,
        Dots,
        Roman,
        Arabic,
        Unknown
    };

    // The model of a settings dictionary; of none, for a view that has no settings
    // yet, whose integers come from the user defaults.
    static ClockModel read(const ObservableDictionary *settings);

    // The readers every value goes through, by the names the settings are known by.
    static bool boolSettingForKey(const PropertyList *value);
    static std::int32_t integerSettingForKey(const PropertyList *value);
    static float floatSettingForKey(const PropertyList *value);
    // A colour, or the hand colour where the key has none, black where neither
    // decodes; faded to the face's opacity when the hands fade.
    static Color colorSettingForKey(const PropertyList *value, const PropertyList *handColor,
                                    bool fadeHands, float opacity);
    // White or black, whichever stands out on a face of this colour.
    static Color borderColor(const Color &color);

    bool digital = false;
    bool showSeconds = false;
    bool twentyFour = false;
    bool showMeridian = false;
    bool showDate = false;
    bool showDayOnly = false;
    bool showWeekday = false;
    bool showTimeZone = false;
    bool drawBorder = false;
    bool useFaceImage = false;
    bool minutePips = false;
    bool fadeHands = false;
    // As stored; WindowSizing::clockSize brings it into the range a clock has.
    std::int32_t clockSize = 0;
    PipStyle pipStyle = PipStyle::None;
    float opacity = 0;
    // The dial on a picture: its centre as fractions of the picture's size, its
    // radius as a fraction of its width (0: the largest that fits).
    QSizeF centerFactor;
    float radiusFactor = 0;
    PropertyList faceImage;

    // The face colour is never faded, and a missing or damaged one is the stock
    // face rather than nothing.
    Color faceColor = Color::black();
    Color handColor = Color::black();
    Color secondHandColor = Color::black();
    Color pipColor = Color::black();
    Color otherDataColor = Color::black();
    Color alternateZoneColor = Color::black();

    // The zone a "TKWTimeZone" names; none where it names no zone, and the clock
    // then follows the system's.
    std::optional<TimeZone> namedZone;
    std::optional<TimeZone> alternateZone;
    TimeZone timeZone() const { return namedZone.value_or(TimeZone::system()); }
};

} // namespace tockwise
