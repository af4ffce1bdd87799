// Settings and defaults files: whatever parse() accepts must come out of toXml()
// as a document that parse() reads back to the same settings, or saving would
// refuse (or, worse, change) what the user had.

#include "FuzzTarget.h"
#include "store/PropertyListFile.h"

#include <cmath>

using namespace tockwise;

namespace {

QString text(const PropertyList &value)
{
    if (const QDateTime *date = value.asDate()) {
        return date->toString(Qt::ISODateWithMs);
    }
    if (const double *real = value.asReal()) {
        return QString::number(*real, 'g', 17);
    }
    return QString::fromUtf8(PropertyListFile::toXml({{QStringLiteral("value"), value}}));
}

// Where two values first differ, with both there, or empty when they are the
// same. NaN is a value a file can hold, and the same NaN after a round trip,
// although it never compares equal.
QString difference(const PropertyList &a, const PropertyList &b, const QString &path)
{
    const QString different =
        path + QStringLiteral(": ") + text(a) + QStringLiteral(" became ") + text(b);
    if (a.kind() != b.kind()) {
        return different;
    }
    switch (a.kind()) {
    case PropertyList::Kind::Real:
        return *a.asReal() == *b.asReal() || (std::isnan(*a.asReal()) && std::isnan(*b.asReal()))
                   ? QString()
                   : different;
    case PropertyList::Kind::Array: {
        const PropertyList::Array &x = *a.asArray();
        const PropertyList::Array &y = *b.asArray();
        if (x.size() != y.size()) {
            return different;
        }
        for (qsizetype i = 0; i < x.size(); ++i) {
            const QString inner = difference(x[i], y[i], path + u'/' + QString::number(i));
            if (!inner.isEmpty()) {
                return inner;
            }
        }
        return {};
    }
    case PropertyList::Kind::Dictionary: {
        const PropertyList::Dictionary &x = *a.asDictionary();
        const PropertyList::Dictionary &y = *b.asDictionary();
        if (x.keys() != y.keys()) {
            return different;
        }
        for (auto it = x.cbegin(); it != x.cend(); ++it) {
            const QString inner = difference(it.value(), y.value(it.key()), path + u'/' + it.key());
            if (!inner.isEmpty()) {
                return inner;
            }
        }
        return {};
    }
    default:
        return a == b ? QString() : different;
    }
}

// The readings the clock makes of its settings, on every value, for the
// sanitizers to watch.
void readEveryWay(const PropertyList &value)
{
    (void)value.boolValue();
    (void)value.intValue();
    (void)value.longLongValue();
    (void)value.floatValue();
    (void)value.doubleValue();
    if (const PropertyList::Array *array = value.asArray()) {
        for (const PropertyList &item : *array) {
            readEveryWay(item);
        }
    }
    if (const PropertyList::Dictionary *dictionary = value.asDictionary()) {
        for (const PropertyList &item : *dictionary) {
            readEveryWay(item);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QString error;
    const auto settings = PropertyListFile::parse(Fuzz::bytes(data, size), &error);
    if (!settings) {
        FUZZ_CHECK(!error.isEmpty());
        return 0;
    }
    const PropertyList root = PropertyList::dictionary(*settings);
    readEveryWay(root);

    const QByteArray xml = PropertyListFile::toXml(*settings);
    QString againError;
    const auto again = PropertyListFile::parse(xml, &againError);
    if (!again) {
        std::fprintf(stderr, "%s\n%s\n", qPrintable(againError), xml.constData());
    }
    FUZZ_CHECK(again.has_value());
    const QString changed = difference(root, PropertyList::dictionary(*again), {});
    if (!changed.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(changed));
    }
    FUZZ_CHECK(changed.isEmpty());
    FUZZ_CHECK(PropertyListFile::toXml(*again) == xml);
    return 0;
}
