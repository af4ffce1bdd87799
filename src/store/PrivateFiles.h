#pragma once

#include <QByteArray>
#include <QString>

namespace tockwise {

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

// A whole regular file, read without blocking and within a bound, or why not.
struct RegularFile
{
    enum class Problem
    {
        None,
        CannotOpen,
        NotRegular,
        TooLarge,
        Changed
    };
    QByteArray bytes;
    Problem problem = Problem::None;
    // errno where the file could not be opened.
    int error = 0;
};
// Opened without blocking and checked to be a regular file of at most `limit`
// bytes before anything is read, so that a FIFO or a link to a device can neither
// hang nor flood the reader; a file that grows while it is read is refused too.
// Links are followed.
RegularFile readRegularFile(const QString &path, qint64 limit);

// Puts `bytes` at `path` in one step: the path holds either its old file or the
// whole new one, whatever fails on the way (a full disk, a crash, a kill). A
// symbolic link at `path` is refused, never written through: it and what it
// points to stay as they are. The new file is the user's alone (mode 0600).
// Empty on success, else why not, in a few words.
QString replaceFile(const QString &path, const QByteArray &bytes);

} // namespace PrivateFiles

} // namespace tockwise
