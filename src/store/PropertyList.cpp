#include "store/PropertyList.h"

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>

namespace tockwise {

namespace {

// Out-of-range conversions between number types are undefined in C++; these give
// the saturated results a user would expect instead (NaN reads as 0).
template <typename Int> Int saturatingCast(double value)
{
    if (std::isnan(value)) {
        return 0;
    }
    if (value <= static_cast<double>(std::numeric_limits<Int>::min())) {
        return std::numeric_limits<Int>::min();
    }
    if (value >= static_cast<double>(std::numeric_limits<Int>::max())) {
        return std::numeric_limits<Int>::max();
    }
    return static_cast<Int>(value); // truncates toward zero
}

float toFloat(double value)
{
    if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<float>::max()) {
        // Beyond the float range lies infinity, as an IEEE conversion gives it.
        const bool nearest = std::fabs(value) < 3.4028235677973366e38; // half an ulp above max
        const float magnitude =
            nearest ? std::numeric_limits<float>::max() : std::numeric_limits<float>::infinity();
        return std::signbit(value) ? -magnitude : magnitude;
    }
    return static_cast<float>(value);
}

bool isSpace(QChar c)
{
    return c.isSpace();
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

PropertyList PropertyList::integer(std::int64_t value)
{
    PropertyList p;
    p.mValue = value;
    return p;
}

PropertyList PropertyList::real(double value)
{
    PropertyList p;
    p.mValue = value;
    return p;
}

PropertyList PropertyList::boolean(bool value)
{
    PropertyList p;
    p.mValue = value;
    return p;
}

PropertyList PropertyList::string(const QString &value)
{
    PropertyList p;
    p.mValue = value;
    return p;
}

PropertyList PropertyList::data(const QByteArray &value)
{
    PropertyList p;
    p.mValue = value;
    return p;
}

PropertyList PropertyList::date(const QDateTime &value)
{
    PropertyList p;
    p.mValue = value.toUTC();
    return p;
}

PropertyList PropertyList::array(const Array &value)
{
    PropertyList p;
    p.mValue = std::make_shared<const Array>(value);
    return p;
}

PropertyList PropertyList::dictionary(const Dictionary &value)
{
    PropertyList p;
    p.mValue = std::make_shared<const Dictionary>(value);
    return p;
}

const PropertyList::Array *PropertyList::asArray() const
{
    const auto *shared = std::get_if<std::shared_ptr<const Array>>(&mValue);
    return shared ? shared->get() : nullptr;
}

const PropertyList::Dictionary *PropertyList::asDictionary() const
{
    const auto *shared = std::get_if<std::shared_ptr<const Dictionary>>(&mValue);
    return shared ? shared->get() : nullptr;
}

std::optional<bool> PropertyList::boolValue() const
{
    if (const auto *i = asInteger()) {
        return *i != 0;
    }
    if (const auto *r = asReal()) {
        return *r != 0.0;
    }
    if (const auto *b = asBoolean()) {
        return *b;
    }
    if (const auto *s = asString()) {
        return StringNumber::boolValue(*s);
    }
    return std::nullopt;
}

std::optional<std::int32_t> PropertyList::intValue() const
{
    if (const auto *i = asInteger()) {
        // A wider integer keeps its low 32 bits, as the platform's int conversion does.
        return static_cast<std::int32_t>(*i);
    }
    if (const auto *r = asReal()) {
        return saturatingCast<std::int32_t>(*r);
    }
    if (const auto *b = asBoolean()) {
        return *b ? 1 : 0;
    }
    if (const auto *s = asString()) {
        return StringNumber::intValue(*s);
    }
    return std::nullopt;
}

std::optional<std::int64_t> PropertyList::longLongValue() const
{
    if (const auto *i = asInteger()) {
        return *i;
    }
    if (const auto *r = asReal()) {
        return saturatingCast<std::int64_t>(*r);
    }
    if (const auto *b = asBoolean()) {
        return *b ? 1 : 0;
    }
    if (const auto *s = asString()) {
        return StringNumber::longLongValue(*s);
    }
    return std::nullopt;
}

std::optional<double> PropertyList::doubleValue() const
{
    if (const auto *i = asInteger()) {
        return static_cast<double>(*i);
    }
    if (const auto *r = asReal()) {
        return *r;
    }
    if (const auto *b = asBoolean()) {
        return *b ? 1.0 : 0.0;
    }
    if (const auto *s = asString()) {
        return StringNumber::doubleValue(*s);
    }
    return std::nullopt;
}

std::optional<float> PropertyList::floatValue() const
{
    if (const auto d = doubleValue()) {
        return toFloat(*d);
    }
    return std::nullopt;
}

bool operator==(const PropertyList &a, const PropertyList &b)
{
    if (a.kind() != b.kind()) {
        return false;
    }
    switch (a.kind()) {
    case PropertyList::Kind::Array:
        return *a.asArray() == *b.asArray();
    case PropertyList::Kind::Dictionary:
        return *a.asDictionary() == *b.asDictionary();
    default:
        return a.mValue == b.mValue;
    }
}

namespace StringNumber {

namespace {

// The span of a leading decimal number after blanks: an optional sign, digits, and
// (when allowed) a fraction and an exponent. Empty when no digit is there.
QStringView leadingNumber(QStringView text, bool allowFraction)
{
    qsizetype i = 0;
    while (i < text.size() && isSpace(text[i])) {
        ++i;
    }
    const qsizetype start = i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        ++i;
    }
    qsizetype digits = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (allowFraction && i < text.size() && text[i] == u'.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return {};
    }
    if (allowFraction && i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        if (j < text.size() && (text[j] == u'+' || text[j] == u'-')) {
            ++j;
        }
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j])) {
                ++j;
            }
            i = j;
        }
    }
    return text.sliced(start, i - start);
}

} // namespace

bool boolValue(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && isSpace(text[i])) {
        ++i;
    }
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        ++i;
    }
    while (i < text.size() && text[i] == u'0') {
        ++i;
    }
    if (i == text.size()) {
        return false;
    }
    const QChar c = text[i];
    return c == u'Y' || c == u'y' || c == u'T' || c == u't' || (c >= u'1' && c <= u'9');
}

std::int64_t longLongValue(QStringView text)
{
    const QStringView number = leadingNumber(text, false);
    if (number.isEmpty()) {
        return 0;
    }
    const bool negative = number.front() == u'-';
    std::int64_t value = 0;
    for (QChar c : number) {
        if (!isDigit(c)) {
            continue;
        }
        const int digit = c.unicode() - u'0';
        if (negative) {
            if (value < (std::numeric_limits<std::int64_t>::min() + digit) / 10) {
                return std::numeric_limits<std::int64_t>::min();
            }
            value = value * 10 - digit;
        } else {
            if (value > (std::numeric_limits<std::int64_t>::max() - digit) / 10) {
                return std::numeric_limits<std::int64_t>::max();
            }
            value = value * 10 + digit;
        }
    }
    return value;
}

std::int32_t intValue(QStringView text)
{
    const std::int64_t value = longLongValue(text);
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

double doubleValue(QStringView text)
{
    const QStringView number = leadingNumber(text, true);
    if (number.isEmpty()) {
        return 0.0;
    }
    // strtod in the C locale, whatever the process locale's decimal separator; an
    // overflow gives infinity (HUGE_VAL), an underflow zero.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
    const QByteArray latin = number.toLatin1();
    return strtod_l(latin.constData(), nullptr, cLocale);
}

} // namespace StringNumber

} // namespace tockwise
