#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

namespace tockwise {

// The text of freedesktop.org desktop entries, as far as the login item needs it.
namespace DesktopEntryFormat {

// The Exec value (as it stands after "Exec=" in the file) that starts `program`
// with no arguments: quoted as the Desktop Entry Specification requires of an
// argument, then escaped as a string value of the desktop-entry format, with a
// literal % doubled. None when the path holds a character that a desktop entry
// cannot carry (a control character other than tab, newline and carriage return).
std::optional<QString> execValue(const QString &program);

// The program that an Exec value starts, unescaped and unquoted; none when the
// value is empty or its quoting is broken.
std::optional<QString> programOfExecValue(const QString &value);

// The keys of the [Desktop Entry] group with their values as written (string
// escapes not undone); none when the text has no such group.
std::optional<QHash<QString, QString>> mainGroup(const QByteArray &text);

} // namespace DesktopEntryFormat

} // namespace tockwise
