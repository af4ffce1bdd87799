#pragma once

#include "store/PropertyList.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace tockwise {

// What each clock setting holds, as the ClockSettings table declares it: its kind
// of value and the values that make sense for it. Readers stay lenient with what a
// file holds; this is for the places that can say no to a person, such as the
// command line.
namespace SettingKinds {

enum class Kind
{
    ZoneName,   // a time zone the system knows, such as "Europe/Paris"
    Boolean,    // true or false, or the integers 1 and 0
    Integer,    // a whole number within the key's range
    Real,       // a number within the key's range
    Color,      // colour data in the colour encoding
    Picture,    // alias data of a picture file
    CenterSize, // "{x, y}", each a fraction of the face from 0 to 1
};

// The sizes a clock is drawn at; a stored size beyond them is drawn at the nearer.
inline constexpr int smallestClockSize = 16;
inline constexpr int largestClockSize = 2048;

// Every clock setting key, sorted.
const QStringList &clockKeys();
std::optional<Kind> kindOf(const QString &key);

// What the key takes, as the end of a sentence "KEY takes …".
QString description(const QString &key);

// None when the value fits the key; otherwise the one-line reason. A key that is
// no clock setting fits nothing.
std::optional<QString> misfit(const QString &key, const PropertyList &value);

// A one-line reason for a key that is no clock setting: the nearest key when the
// name looks like a misspelling of one, and otherwise every key.
QString unknownKey(const QString &key);

} // namespace SettingKinds

} // namespace tockwise
