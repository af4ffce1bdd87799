// --set KEY=VALUE from the command line: a refused assignment says why, and an
// accepted one holds the value its text spells, in the form its key takes, and
// survives being saved in a settings file.

#include "FuzzTarget.h"
#include "graphics/Color.h"
#include "settings/SettingArgument.h"
#include "settings/SettingKinds.h"
#include "settings/SettingsKeys.h"
#include "settings/TKWPathToAliasTransformer.h"
#include "store/AliasData.h"
#include "store/PropertyListFile.h"
#include "store/SizeString.h"
#include "store/ValueTransformer.h"

#include <QRegularExpression>

#include <cmath>
#include <mutex>

using namespace tockwise;

namespace {

// The colour as the text gave it: two lower-case hex digits a channel, the
// alpha left out when opaque.
QString hexText(const Color &color, bool withAlpha)
{
    QString text = QStringLiteral("#");
    const float channels[] = {color.redComponent(), color.greenComponent(), color.blueComponent(),
                              color.alpha()};
    for (int i = 0; i < (withAlpha ? 4 : 3); ++i) {
        text += QStringLiteral("%1").arg(static_cast<int>(std::lround(channels[i] * 255.0f)), 2, 16,
                                         QChar(u'0'));
    }
    return text;
}

void checkValue(const QString &key, const QString &text, const PropertyList &value)
{
    using SettingKinds::Kind;
    const std::optional<Kind> kind = SettingKinds::kindOf(key);
    FUZZ_CHECK(kind && !SettingKinds::misfit(key, value));
    if (*kind == Kind::Color) {
        const std::optional<Color> color =
            value.asData() ? Color::decode(*value.asData()) : std::nullopt;
        FUZZ_CHECK(color && color->space() == Color::Space::CalibratedRGB);
        FUZZ_CHECK(text.size() == 9 || color->alpha() == 1.0f);
        FUZZ_CHECK(hexText(*color, text.size() == 9) == text.toLower());
    } else if (*kind == Kind::Picture) {
        FUZZ_CHECK(value.asData() && AliasData::decode(*value.asData()));
    } else if (*kind == Kind::CenterSize) {
        FUZZ_CHECK(value.asString() && SizeString::sizeFromString(*value.asString()) ==
                                           SizeString::sizeFromString(text));
    } else if (const bool *flag = value.asBoolean()) {
        FUZZ_CHECK(text == (*flag ? u"true" : u"false"));
    } else if (const std::int64_t *integer = value.asInteger()) {
        bool ok = false;
        FUZZ_CHECK(text.toLongLong(&ok) == *integer && ok);
    } else if (const double *real = value.asReal()) {
        bool ok = false;
        FUZZ_CHECK(std::isfinite(*real) && text.toDouble(&ok) == *real && ok);
    } else {
        FUZZ_CHECK(*kind == Kind::ZoneName && value.asString() && *value.asString() == text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static std::once_flag registered;
    std::call_once(registered, [] {
        ValueTransformer::setValueTransformer(std::make_unique<TKWPathToAliasTransformer>(),
                                              QStringLiteral("TKWPathToAliasTransformer"));
    });
    const QByteArray bytes = Fuzz::bytes(data, size);
    // No command-line argument can hold a NUL.
    if (bytes.contains('\0')) {
        return 0;
    }
    const QString assignment = QString::fromUtf8(bytes);
    QString error;
    const std::optional<SettingArgument::Setting> setting =
        SettingArgument::parse(assignment, &error);
    if (!setting) {
        FUZZ_CHECK(!error.isEmpty());
        return 0;
    }
    static const QRegularExpression keyForm(QStringLiteral("^[A-Za-z][A-Za-z0-9]*\\z"));
    FUZZ_CHECK(keyForm.match(setting->key).hasMatch());
    FUZZ_CHECK(assignment.startsWith(setting->key + u'='));
    checkValue(setting->key, assignment.mid(setting->key.size() + 1), setting->value);

    const PropertyList::Dictionary settings = {{setting->key, setting->value}};
    FUZZ_CHECK(PropertyListFile::parse(PropertyListFile::toXml(settings)) == settings);
    return 0;
}
