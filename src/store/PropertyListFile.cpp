#include "store/PropertyListFile.h"

#include "store/PrivateFiles.h"
#include "store/PropertyListScan.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimeZone>

#include <plist/plist.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

namespace tockwise {

namespace {

// Deeper nesting than this is no settings file, and recursing further would only
// risk the stack.
constexpr int maximumDepth = 128;
// A clock's settings are a few dozen values, the defaults a few hundred.
constexpr std::uint64_t maximumValues = 100'000;

// The reference date of property-list dates.
const QDateTime &referenceDate()
{
    static const QDateTime date(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    return date;
}

struct PlistDeleter
{
    void operator()(void *node) const { plist_free(static_cast<plist_t>(node)); }
};
using PlistHandle = std::unique_ptr<void, PlistDeleter>;

void setError(QString *error, const QString &message)
{
    if (error) {
        *error = message;
    }
}

std::optional<PropertyList> fromNode(plist_t node, int depth);

std::optional<PropertyList::Dictionary> dictionaryFromNode(plist_t node, int depth)
{
    PropertyList::Dictionary dictionary;
    plist_dict_iter iter = nullptr;
    plist_dict_new_iter(node, &iter);
    if (!iter) {
        return dictionary;
    }
    bool ok = true;
    while (true) {
        char *key = nullptr;
        plist_t item = nullptr;
        plist_dict_next_item(node, iter, &key, &item);
        if (!key || !item) {
            std::free(key);
            break;
        }
        std::optional<PropertyList> value = fromNode(item, depth + 1);
        if (value) {
            dictionary.insert(QString::fromUtf8(key), *value);
        }
        std::free(key);
        if (!value) {
            ok = false;
            break;
        }
    }
    std::free(iter);
    if (!ok) {
        return std::nullopt;
    }
    return dictionary;
}

std::optional<PropertyList> stringFromNode(plist_t node)
{
    std::uint64_t length = 0;
    const char *text = plist_get_string_ptr(node, &length);
    // Binary lists can hold a NUL inside a string, which the XML we write
    // cannot: saving would quietly cut the string short.
    if (text && std::memchr(text, 0, length)) {
        return std::nullopt;
    }
    return PropertyList::string(text ? QString::fromUtf8(text, static_cast<qsizetype>(length))
                                     : QString());
}

std::optional<PropertyList> arrayFromNode(plist_t node, int depth)
{
    PropertyList::Array array;
    const std::uint32_t size = plist_array_get_size(node);
    array.reserve(size);
    for (std::uint32_t i = 0; i < size; ++i) {
        plist_t item = plist_array_get_item(node, i);
        std::optional<PropertyList> value = item ? fromNode(item, depth + 1) : std::nullopt;
        if (!value) {
            return std::nullopt;
        }
        array.append(*value);
    }
    return PropertyList::array(array);
}

std::optional<PropertyList> fromNode(plist_t node, int depth)
{
    if (depth > maximumDepth) {
        return std::nullopt;
    }
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        std::uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return PropertyList::boolean(value != 0);
    }
    case PLIST_UINT: {
        // The library keeps every integer in 64 unsigned bits; negative ones come
        // back through the two's complement.
        std::uint64_t value = 0;
        plist_get_uint_val(node, &value);
        return PropertyList::integer(static_cast<std::int64_t>(value));
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return PropertyList::real(value);
    }
    case PLIST_STRING:
        return stringFromNode(node);
    case PLIST_DATA: {
        std::uint64_t length = 0;
        const char *bytes = plist_get_data_ptr(node, &length);
        return PropertyList::data(bytes ? QByteArray(bytes, static_cast<qsizetype>(length))
                                        : QByteArray());
    }
    case PLIST_DATE: {
        // Whole seconds, as the XML we write holds dates: a binary list's fraction
        // would otherwise vanish unseen at the next save (and the library makes
        // nonsense of it for dates beyond 32-bit seconds).
        std::int32_t seconds = 0;
        std::int32_t microseconds = 0;
        plist_get_date_val(node, &seconds, &microseconds);
        return PropertyList::date(referenceDate().addSecs(seconds));
    }
    case PLIST_ARRAY:
        return arrayFromNode(node, depth);
    case PLIST_DICT: {
        std::optional<PropertyList::Dictionary> dictionary = dictionaryFromNode(node, depth);
        if (!dictionary) {
            return std::nullopt;
        }
        return PropertyList::dictionary(*dictionary);
    }
    default:
        // Keys outside dictionaries and archiver UIDs never appear in settings.
        return std::nullopt;
    }
}

plist_t toNode(const PropertyList &value);

plist_t dictionaryToNode(const PropertyList::Dictionary &dictionary)
{
    plist_t node = plist_new_dict();
    for (auto it = dictionary.cbegin(); it != dictionary.cend(); ++it) {
        if (plist_t item = toNode(it.value())) {
            plist_dict_set_item(node, it.key().toUtf8().constData(), item);
        }
    }
    return node;
}

plist_t toNode(const PropertyList &value)
{
    switch (value.kind()) {
    case PropertyList::Kind::None:
        return nullptr;
    case PropertyList::Kind::Integer:
        return plist_new_uint(static_cast<std::uint64_t>(*value.asInteger()));
    case PropertyList::Kind::Real:
        return plist_new_real(*value.asReal());
    case PropertyList::Kind::Boolean:
        return plist_new_bool(*value.asBoolean() ? 1 : 0);
    case PropertyList::Kind::String:
        return plist_new_string(value.asString()->toUtf8().constData());
    case PropertyList::Kind::Data: {
        const QByteArray &bytes = *value.asData();
        return plist_new_data(bytes.constData(), static_cast<std::uint64_t>(bytes.size()));
    }
    case PropertyList::Kind::Date: {
        // The format's dates span what 32-bit seconds from 2001 reach.
        const qint64 msecs = referenceDate().msecsTo(*value.asDate());
        const qint64 seconds = std::clamp<qint64>(
            msecs >= 0 ? msecs / 1000 : -((-msecs + 999) / 1000),
            std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
        const qint64 microseconds = std::clamp<qint64>((msecs - seconds * 1000) * 1000, 0, 999999);
        return plist_new_date(static_cast<std::int32_t>(seconds),
                              static_cast<std::int32_t>(microseconds));
    }
    case PropertyList::Kind::Array: {
        plist_t node = plist_new_array();
        for (const PropertyList &item : *value.asArray()) {
            if (plist_t child = toNode(item)) {
                plist_array_append_item(node, child);
            }
        }
        return node;
    }
    case PropertyList::Kind::Dictionary:
        return dictionaryToNode(*value.asDictionary());
    }
    return nullptr;
}

} // namespace

namespace PropertyListFile {

std::optional<PropertyList::Dictionary> parse(const QByteArray &bytes, QString *error)
{
    if (bytes.isEmpty() || bytes.size() > maximumFileSize) {
        setError(error,
                 bytes.isEmpty()
                     ? QCoreApplication::translate("PropertyListFile", "the file is empty")
                     : QCoreApplication::translate("PropertyListFile", "the file is too large"));
        return std::nullopt;
    }
    if (PropertyListScan::exceeds(bytes, maximumDepth, maximumValues)) {
        setError(error,
                 QCoreApplication::translate("PropertyListFile",
                                             "it holds too many values or nests them too deeply"));
        return std::nullopt;
    }
    plist_t raw = nullptr;
    plist_from_memory(bytes.constData(), static_cast<std::uint32_t>(bytes.size()), &raw);
    PlistHandle root(raw);
    if (!root) {
        setError(error,
                 QCoreApplication::translate("PropertyListFile", "it is not a property list"));
        return std::nullopt;
    }
    if (plist_get_node_type(root.get()) != PLIST_DICT) {
        setError(error,
                 QCoreApplication::translate("PropertyListFile", "its root is not a dictionary"));
        return std::nullopt;
    }
    std::optional<PropertyList::Dictionary> dictionary =
        PropertyListScan::binaryStringHoldsNul(bytes) ? std::nullopt
                                                      : dictionaryFromNode(root.get(), 0);
    if (!dictionary) {
        setError(error, QCoreApplication::translate("PropertyListFile",
                                                    "it holds values that are not settings"));
    }
    return dictionary;
}

QByteArray toXml(const PropertyList::Dictionary &dictionary)
{
    PlistHandle root(dictionaryToNode(dictionary));
    char *xml = nullptr;
    std::uint32_t length = 0;
    plist_to_xml(root.get(), &xml, &length);
    QByteArray bytes(xml, static_cast<qsizetype>(length));
    plist_to_xml_free(xml);
    return bytes;
}

std::optional<PropertyList::Dictionary> read(const QString &path, QString *error)
{
    const PrivateFiles::RegularFile file = PrivateFiles::readRegularFile(path, maximumFileSize);
    switch (file.problem) {
    case PrivateFiles::RegularFile::Problem::None:
        return parse(file.bytes, error);
    case PrivateFiles::RegularFile::Problem::CannotOpen:
        setError(error, QString::fromLocal8Bit(std::strerror(file.error)));
        break;
    case PrivateFiles::RegularFile::Problem::NotRegular:
        setError(error,
                 QCoreApplication::translate("PropertyListFile", "it is not a regular file"));
        break;
    case PrivateFiles::RegularFile::Problem::TooLarge:
        setError(error, QCoreApplication::translate("PropertyListFile", "the file is too large"));
        break;
    case PrivateFiles::RegularFile::Problem::Changed:
        setError(error, QCoreApplication::translate("PropertyListFile",
                                                    "the file changed while it was read"));
        break;
    }
    return std::nullopt;
}

bool write(const QString &path, const PropertyList::Dictionary &dictionary, QString *error)
{
    const QByteArray bytes = toXml(dictionary);
    // A file we could not read back would cost the user every setting in it at the
    // next start; better to keep the old file and say so.
    if (!parse(bytes)) {
        setError(error,
                 QCoreApplication::translate("PropertyListFile",
                                             "the settings could not be put in a readable form"));
        return false;
    }
    const QString problem = PrivateFiles::replaceFile(path, bytes);
    setError(error, problem);
    return problem.isEmpty();
}

} // namespace PropertyListFile

} // namespace tockwise
