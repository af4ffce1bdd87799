#pragma once

#include <QSizeF>
#include <QString>

namespace tockwise {

// The text form of a size, "{width, height}", as settings files store it.
namespace SizeString {

// Each number in its shortest form that reads back to the same double.
QString stringFromSize(QSizeF size);

// Lenient: the first two numbers found, each after any characters that cannot
// start one; a missing or unreadable number (or one beyond the double range) is 0.
QSizeF sizeFromString(QStringView text);

} // namespace SizeString

} // namespace tockwise
