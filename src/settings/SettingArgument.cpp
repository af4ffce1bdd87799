#include "settings/SettingArgument.h"

#include "graphics/Color.h"
#include "settings/SettingKinds.h"
#include "settings/SettingsKeys.h"
#include "store/SizeString.h"
#include "store/ValueTransformer.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>

namespace tockwise {

namespace SettingArgument {

namespace {

void fail(QString *error, const QString &message)
{
    if (error) {
        *error = message;
    }
}

// Every pattern ends in \z, not $: $ also matches before a final newline, which
// would let "#ff000080\n" through as an opaque colour and "12\n" as a number.
std::optional<PropertyList> parseNumber(const QString &text)
{
    static const QRegularExpression integer(QStringLiteral("^[+-]?[0-9]+\\z"));
    if (integer.match(text).hasMatch()) {
        bool ok = false;
        const qlonglong value = text.toLongLong(&ok);
        if (ok) {
            return PropertyList::integer(value);
        }
    }
    static const QRegularExpression real(
        QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?\\z"));
    if (real.match(text).hasMatch()) {
        bool ok = false;
        const double value = text.toDouble(&ok);
        if (ok) {
            return PropertyList::real(value);
        }
    }
    return std::nullopt;
}

std::optional<PropertyList> parseValue(SettingKinds::Kind kind, const QString &text)
{
    using SettingKinds::Kind;
    switch (kind) {
    case Kind::ZoneName:
        return PropertyList::string(text);
    case Kind::Boolean:
        if (text == u"true" || text == u"false") {
            return PropertyList::boolean(text == u"true");
        }
        // As the stock settings store their switches.
        if (text == u"1" || text == u"0") {
            return PropertyList::integer(text == u"1" ? 1 : 0);
        }
        return std::nullopt;
    case Kind::Integer:
    case Kind::Real:
        return parseNumber(text);
    case Kind::Color:
        return parseColor(text);
    case Kind::CenterSize: {
        const std::optional<PropertyList> value = PropertyList::string(text);
        if (SettingKinds::misfit(Keys::CenterFactor, *value)) {
            return std::nullopt;
        }
        // Stored in the form the clock itself writes.
        return PropertyList::string(SizeString::stringFromSize(SizeString::sizeFromString(text)));
    }
    case Kind::Picture:
        break;
    }
    return std::nullopt;
}

} // namespace

std::optional<PropertyList> parseColor(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^#([0-9a-fA-F]{6}|[0-9a-fA-F]{8})\\z"));
    if (!form.match(text).hasMatch()) {
        return std::nullopt;
    }
    const auto channel = [&text](int index) {
        return static_cast<float>(text.mid(1 + 2 * index, 2).toInt(nullptr, 16)) / 255.0f;
    };
    const float alpha = text.size() == 9 ? channel(3) : 1.0f;
    return PropertyList::data(
        Color::calibratedRGB(channel(0), channel(1), channel(2), alpha).encode());
}

std::optional<Setting> parse(const QString &assignment, QString *error)
{
    const qsizetype equals = assignment.indexOf(u'=');
    static const QRegularExpression keyForm(QStringLiteral("^[A-Za-z][A-Za-z0-9]*\\z"));
    const QString key = equals < 0 ? QString() : assignment.left(equals);
    if (!keyForm.match(key).hasMatch()) {
        fail(error,
             QCoreApplication::translate("SettingArgument", "\"%1\" is not of the form KEY=VALUE")
                 .arg(printable(assignment)));
        return std::nullopt;
    }
    const QString text = assignment.mid(equals + 1);
    const std::optional<SettingKinds::Kind> kind = SettingKinds::kindOf(key);
    if (!kind) {
        fail(error, SettingKinds::unknownKey(key));
        return std::nullopt;
    }
    if (*kind == SettingKinds::Kind::Picture) {
        const ValueTransformer *transformer =
            ValueTransformer::valueTransformerForName(QStringLiteral("TKWPathToAliasTransformer"));
        const PropertyList alias =
            transformer ? transformer->reverseTransformedValue(
                              PropertyList::string(QFileInfo(text).absoluteFilePath()))
                        : PropertyList();
        if (alias.isNone()) {
            fail(error, QCoreApplication::translate(
                            "SettingArgument", "%1 takes a picture file; there is none at \"%2\"")
                            .arg(key, printable(text)));
            return std::nullopt;
        }
        return Setting{key, alias};
    }
    const std::optional<PropertyList> value = parseValue(*kind, text);
    if (!value || SettingKinds::misfit(key, *value)) {
        fail(error, QCoreApplication::translate("SettingArgument", "%1 takes %2, not \"%3\"")
                        .arg(key, SettingKinds::description(key), printable(text)));
        return std::nullopt;
    }
    return Setting{key, *value};
}

// A value as a message may show it: a control character (a newline, a terminal's
// escape) is spelt out rather than sent to the terminal.
QString printable(const QString &text)
{
    QString visible;
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) {
            visible += c == u'\n' ? QStringLiteral("\\n")
                                  : QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QChar(u'0'));
        } else {
            visible += c;
        }
    }
    return visible;
}

} // namespace SettingArgument

} // namespace tockwise
