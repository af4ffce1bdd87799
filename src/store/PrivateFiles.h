#pragma once

#include <QString>

// Settings are the user's own: their folders are made readable by the user alone,
// and a settings file is only ever a plain file, never a link to elsewhere.
namespace PrivateFiles {

// Makes the folder (and any missing parents); a folder it makes gets mode 0700.
// True when the folder exists afterwards.
bool makeFolder(const QString &path);

// True when `path` names a regular file itself, not a symbolic link to one.
bool isPlainFile(const QString &path);

// True when `path` names an entry directly inside `folder` (by their absolute paths).
bool isDirectlyInside(const QString &path, const QString &folder);

} // namespace PrivateFiles
