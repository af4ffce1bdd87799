#include "store/SizeString.h"

#include "store/PropertyList.h"

#include <QLocale>

#include <cmath>

namespace tockwise {

namespace {

QString number(double value)
{
    return QLocale::c().toString(value, 'g', QLocale::FloatingPointShortest);
}

bool startsNumber(QStringView text, qsizetype i)
{
    const QChar c = text[i];
    if (c.isDigit() && c.unicode() < 128) {
        return true;
    }
    if (c == u'-' || c == u'+' || c == u'.') {
        // A sign or a point only starts a number when a digit follows.
        for (qsizetype j = i + 1; j < text.size() && j <= i + 2; ++j) {
            if (text[j] >= u'0' && text[j] <= u'9') {
                return true;
            }
            if (text[j] != u'.') {
                return false;
            }
        }
    }
    return false;
}

// Reads one number at or after `pos` and moves `pos` past it.
double scanNumber(QStringView text, qsizetype &pos)
{
    while (pos < text.size() && !startsNumber(text, pos)) {
        ++pos;
    }
    if (pos >= text.size()) {
        return 0;
    }
    qsizetype end = pos;
    if (text[end] == u'-' || text[end] == u'+') {
        ++end;
    }
    while (end < text.size() && ((text[end] >= u'0' && text[end] <= u'9') || text[end] == u'.' ||
                                 text[end] == u'e' || text[end] == u'E' ||
                                 ((text[end] == u'-' || text[end] == u'+') &&
                                  (text[end - 1] == u'e' || text[end - 1] == u'E')))) {
        ++end;
    }
    const double value = StringNumber::doubleValue(text.sliced(pos, end - pos));
    pos = end;
    return std::isfinite(value) ? value : 0;
}

} // namespace

namespace SizeString {

QString stringFromSize(QSizeF size)
{
    return u'{' + number(size.width()) + QStringLiteral(", ") + number(size.height()) + u'}';
}

QSizeF sizeFromString(QStringView text)
{
    qsizetype pos = 0;
    const double width = scanNumber(text, pos);
    const double height = scanNumber(text, pos);
    return {width, height};
}

} // namespace SizeString

} // namespace tockwise
