#pragma once

#include <QString>

#include <optional>

namespace tockwise {

// The login item: a desktop entry in the user's XDG autostart folder whose Exec
// line starts this program, so that the session starts it at login. Every call
// looks at the folder afresh; nothing is remembered between calls.
namespace AutostartEntry {

inline const QString preferredFileName = QStringLiteral("org.tockwise.Tockwise.desktop");

// $XDG_CONFIG_HOME/autostart.
QString folder();

// The first entry of the folder, by file name, that the session starts at login
// and whose program is `executable` (both followed through links); none when
// there is none or when `executable` itself cannot be resolved. Entries whose
// program cannot be resolved never match.
std::optional<QString> find(const QString &executable);

bool isEstablished(const QString &executable);

// Adds an entry unless one exists already; never replaces another file. Logs
// "Unable to establish login item." when the entry cannot be written.
void establish(const QString &executable);

// Removes the first matching entry, if any. Logs "Unable to remove login item.
// (errno)" when it cannot be removed.
void remove(const QString &executable);

} // namespace AutostartEntry

} // namespace tockwise
