#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <variant>

namespace tockwise {

// One value of a property list: what a settings file, the user defaults file and
// a clock's settings hold. A default-constructed value is "none" (no object).
//
// The conversions boolValue/intValue/floatValue read numbers and strings as
// property lists have always been read: numbers and strings offer them, every
// other kind (and none) does not, which the empty optional says.
class PropertyList
{
public:
    enum class Kind
    {
        None,
        Integer,
        Real,
        Boolean,
        String,
        Data,
        Date,
        Array,
        Dictionary
    };
    using Array = QList<PropertyList>;
    using Dictionary = QMap<QString, PropertyList>;

    PropertyList() = default;

    static PropertyList integer(std::int64_t value);
    static PropertyList real(double value);
    static PropertyList boolean(bool value);
    static PropertyList string(const QString &value);
    static PropertyList data(const QByteArray &value);
    static PropertyList date(const QDateTime &value);
    static PropertyList array(const Array &value);
    static PropertyList dictionary(const Dictionary &value);

    Kind kind() const { return static_cast<Kind>(mValue.index()); }
    bool isNone() const { return kind() == Kind::None; }

    // Access to the stored value of one kind; null when the value is of another kind.
    const std::int64_t *asInteger() const { return std::get_if<std::int64_t>(&mValue); }
    const double *asReal() const { return std::get_if<double>(&mValue); }
    const bool *asBoolean() const { return std::get_if<bool>(&mValue); }
    const QString *asString() const { return std::get_if<QString>(&mValue); }
    const QByteArray *asData() const { return std::get_if<QByteArray>(&mValue); }
    const QDateTime *asDate() const { return std::get_if<QDateTime>(&mValue); }
    const Array *asArray() const;
    const Dictionary *asDictionary() const;

    std::optional<bool> boolValue() const;
    std::optional<std::int32_t> intValue() const;
    std::optional<std::int64_t> longLongValue() const;
    std::optional<float> floatValue() const;
    std::optional<double> doubleValue() const;

    friend bool operator==(const PropertyList &a, const PropertyList &b);

private:
    // Containers are shared and never changed after construction, so copying a
    // whole settings dictionary costs a reference count.
    using Value =
        std::variant<std::monostate, std::int64_t, double, bool, QString, QByteArray, QDateTime,
                     std::shared_ptr<const Array>, std::shared_ptr<const Dictionary>>;
    Value mValue;
};

// The leading-number readings of a string: the number its text begins with.
namespace StringNumber {
bool boolValue(QStringView text);
std::int32_t intValue(QStringView text);
std::int64_t longLongValue(QStringView text);
double doubleValue(QStringView text);
} // namespace StringNumber

} // namespace tockwise
