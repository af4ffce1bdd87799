#pragma once

#include <QByteArray>

#include <cstdint>

namespace tockwise {

// What the property-list library must not be handed, found in a document's raw
// bytes before it parses them: the library crashes the process on such input
// instead of failing. Malformed documents are otherwise left to the library.
namespace PropertyListScan {

// Whether arrays and dictionaries nest more than `depthLimit` deep, or (in a
// binary list, whose objects may be shared or refer to themselves) make more
// than `valueLimit` values once every reference is followed. The library parses
// by recursion and copies what is shared: a few megabytes of nesting run it out
// of stack, and a few hundred bytes of sharing keep it busy for ever.
bool exceeds(const QByteArray &bytes, int depthLimit, std::uint64_t valueLimit);

// Whether a binary list holds a string object with a NUL in it. The library
// aborts the process when asked for a dictionary key with one.
bool binaryStringHoldsNul(const QByteArray &bytes);

} // namespace PropertyListScan

} // namespace tockwise
