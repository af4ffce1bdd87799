#include "settings/SettingArgument.h"

#include "platform/Color.h"
#include "platform/ValueTransformer.h"
#include "settings/SettingsKeys.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>

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
std::optional<PropertyList> parsePlain(const QString &text)
{
    if (text == u"true") {
        return PropertyList::boolean(true);
    }
    if (text == u"false") {
        return PropertyList::boolean(false);
    }
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
    return PropertyList::string(text);
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
                 .arg(assignment));
        return std::nullopt;
    }
    const QString text = assignment.mid(equals + 1);
    if (key.endsWith(Keys::ColorSuffix)) {
        if (auto color = parseColor(text)) {
            return Setting{key, *color};
        }
        fail(error, QCoreApplication::translate(
                        "SettingArgument", "%1 takes a colour as #rrggbb or #rrggbbaa, not \"%2\"")
                        .arg(key, text));
        return std::nullopt;
    }
    if (key == Keys::FaceImage) {
        const ValueTransformer *transformer =
            ValueTransformer::valueTransformerForName(QStringLiteral("TKWPathToAliasTransformer"));
        const PropertyList alias =
            transformer ? transformer->reverseTransformedValue(
                              PropertyList::string(QFileInfo(text).absoluteFilePath()))
                        : PropertyList();
        if (alias.isNone()) {
            fail(error, QCoreApplication::translate(
                            "SettingArgument", "%1 takes a picture file; there is none at \"%2\"")
                            .arg(key, text));
            return std::nullopt;
        }
        return Setting{key, alias};
    }
    return Setting{key, *parsePlain(text)};
}

} // namespace SettingArgument
