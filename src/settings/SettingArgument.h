#pragma once

#include "store/PropertyList.h"

#include <QString>

#include <optional>

namespace tockwise {

// A clock setting given on the command line as KEY=VALUE. The key must be a clock
// setting, and the value's form follows it: a colour as "#rrggbb" or "#rrggbbaa",
// a picture file for "TKWFaceImage", true/false (or 1/0) for a switch, a number
// within the key's range, a zone name that the system knows, "{x, y}" for the
// dial's centre.
namespace SettingArgument {

struct Setting
{
    QString key;
    PropertyList value;
};

// None, with the reason in `error`, for a malformed assignment or value.
std::optional<Setting> parse(const QString &assignment, QString *error);

// "#rrggbb" or "#rrggbbaa" as a colour in the colour encoding.
std::optional<PropertyList> parseColor(const QString &text);

// The text with every control character spelt out (\n, \x1b), for a message
// that must stay on one line and must not drive the terminal.
QString printable(const QString &text);

} // namespace SettingArgument

} // namespace tockwise
