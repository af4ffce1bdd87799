#pragma once

#include "store/PropertyList.h"

#include <optional>

namespace tockwise {

// Property-list documents: XML or binary in, XML out.
namespace PropertyListFile {

// Settings files are a few kilobytes; anything far larger is not one of ours, and
// reading it whole could exhaust memory.
inline constexpr qint64 maximumFileSize = 16 * 1024 * 1024;

// The dictionary at the root of the document, or none when the bytes are not a
// property list, hold a kind of value that settings never do, or have another
// root. Never a partly read dictionary.
std::optional<PropertyList::Dictionary> parse(const QByteArray &bytes, QString *error = nullptr);
QByteArray toXml(const PropertyList::Dictionary &dictionary);

// A file that is missing, is not a regular file, is too large, or does not parse
// reads as none, with the reason in `error`.
std::optional<PropertyList::Dictionary> read(const QString &path, QString *error = nullptr);

// Writes the XML form atomically, as PrivateFiles::replaceFile does: the file is
// either the old one or the whole new one, never a mixture, and never a file a
// link at `path` points to. False (with the reason) when it could not be written.
bool write(const QString &path, const PropertyList::Dictionary &dictionary,
           QString *error = nullptr);

} // namespace PropertyListFile

} // namespace tockwise
