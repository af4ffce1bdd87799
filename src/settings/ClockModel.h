#pragma once

#include "graphics/Color.h"
#include "store/PropertyList.h"
#include "time/TimeZone.h"

#include <QImage>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace tockwise {

class ObservableDictionary;

// Everything a clock is drawn and placed from: its settings, read once from its
// settings dictionary whenever that changes (every conversion of a stored value,
// every fill-in and every fading happens in that reading, and nowhere else;
// absent or mistyped values read as none, NO, 0 or 0.0), with the face picture
// and the hour labels its controller gives it.
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

    // The model of a settings dictionary, without its picture and hour labels.
    static ClockModel read(const ObservableDictionary &settings);
    // The hour labels of pip style 2 as the user defaults keep them
    // ("TKWRomanNumerals"); an entry that is no string labels its hour with nothing.
    static QStringList romanNumeralsOf(const PropertyList &stored);

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
    // The picture the clock holds as its face; none where none is held, found or
    // readable. While there is one it is the face, whatever "TKWUseFaceImage" says.
    QImage faceImage;
    // The hour labels of pip style 2, index i labelling hour i + 1.
    QStringList romanNumerals;

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
