#pragma once

#include "platform/PropertyList.h"

#include <QString>

#include <optional>

// A clock setting given on the command line as KEY=VALUE. The value's form
// follows the key: a colour for a key ending in "Color" ("#rrggbb" or
// "#rrggbbaa"), a picture file for "TKWFaceImage", and otherwise true/false, an
// integer, a real or, failing those, a string.
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

} // namespace SettingArgument
