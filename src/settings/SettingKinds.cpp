#include "settings/SettingKinds.h"

#include "graphics/Color.h"
#include "settings/ClockSettings.h"
#include "settings/SettingsKeys.h"
#include "store/AliasData.h"
#include "time/TimeZone.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace tockwise {

namespace SettingKinds {

namespace {

using ClockSettings::Setting;

QString tr(const char *text)
{
    return QCoreApplication::translate("tockwise::SettingKinds", text);
}

std::optional<double> number(const PropertyList &value)
{
    if (const std::int64_t *integer = value.asInteger()) {
        return static_cast<double>(*integer);
    }
    if (const double *real = value.asReal(); real && std::isfinite(*real)) {
        return *real;
    }
    return std::nullopt;
}

bool centerFits(const QString &text, double low, double high)
{
    static const QRegularExpression form(
        QStringLiteral("^\\{\\s*([+-]?(?:[0-9]+\\.?[0-9]*|\\.[0-9]+)(?:[eE][+-]?[0-9]+)?)\\s*,"
                       "\\s*([+-]?(?:[0-9]+\\.?[0-9]*|\\.[0-9]+)(?:[eE][+-]?[0-9]+)?)\\s*\\}\\z"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch()) {
        return false;
    }
    for (const int part : {1, 2}) {
        const double fraction = match.captured(part).toDouble();
        if (!(fraction >= low && fraction <= high)) {
            return false;
        }
    }
    return true;
}

bool fits(const Setting &e, const PropertyList &value)
{
    switch (e.kind) {
    case Kind::ZoneName:
        return value.asString() && TimeZone::named(*value.asString());
    case Kind::Boolean:
        if (value.asBoolean()) {
            return true;
        }
        return value.asInteger() && (*value.asInteger() == 0 || *value.asInteger() == 1);
    case Kind::Integer: {
        // The size control stores whole numbers as reals.
        const std::optional<double> n = number(value);
        return n && std::trunc(*n) == *n && *n >= e.low && *n <= e.high;
    }
    case Kind::Real: {
        const std::optional<double> n = number(value);
        return n && *n >= e.low && *n <= e.high;
    }
    case Kind::Color:
        return value.asData() && Color::decode(*value.asData()).has_value();
    case Kind::Picture:
        return value.asData() && AliasData::decode(*value.asData()).has_value();
    case Kind::CenterSize:
        return value.asString() && centerFits(*value.asString(), e.low, e.high);
    }
    return false;
}

int editDistance(const QString &a, const QString &b)
{
    std::vector<int> row(static_cast<std::size_t>(b.size()) + 1);
    for (std::size_t j = 0; j < row.size(); ++j) {
        row[j] = static_cast<int>(j);
    }
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = static_cast<int>(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const auto at = static_cast<std::size_t>(j);
            const int replaced = diagonal + (a[i - 1] == b[j - 1] ? 0 : 1);
            diagonal = row[at];
            row[at] = std::min({row[at] + 1, row[at - 1] + 1, replaced});
        }
    }
    return row.back();
}

} // namespace

const QStringList &clockKeys()
{
    static const QStringList keys = [] {
        QStringList all;
        for (const Setting &e : ClockSettings::all()) {
            all.append(e.key);
        }
        all.sort();
        return all;
    }();
    return keys;
}

std::optional<Kind> kindOf(const QString &key)
{
    const Setting *e = ClockSettings::find(key);
    return e ? std::optional<Kind>(e->kind) : std::nullopt;
}

QString description(const QString &key)
{
    const Setting *e = ClockSettings::find(key);
    if (!e) {
        return {};
    }
    if (key == Keys::ClockSize) {
        return tr("a whole number of points from %1 to %2")
            .arg(smallestClockSize)
            .arg(largestClockSize);
    }
    if (key == Keys::PipStyle) {
        return tr("0 (no hour marks), 1 (dots), 2 (Roman numerals) or 3 (Arabic numerals)");
    }
    if (key == Keys::RadiusFactor) {
        return tr("the dial's radius as a fraction of the picture's width, such as 0.25 (0: "
                  "half the picture's smaller side)");
    }
    switch (e->kind) {
    case Kind::ZoneName:
        return tr("a time zone such as Europe/Paris or UTC");
    case Kind::Boolean:
        return tr("true or false");
    case Kind::Integer:
    case Kind::Real:
        return tr("a number from %1 to %2").arg(e->low).arg(e->high);
    case Kind::Color:
        return tr("a colour as #rrggbb or #rrggbbaa");
    case Kind::Picture:
        return tr("a picture file");
    case Kind::CenterSize:
        return tr("the dial's centre as {x, y}, each a fraction of the face from 0 to 1, such "
                  "as {0.5, 0.5}");
    }
    return {};
}

std::optional<QString> misfit(const QString &key, const PropertyList &value)
{
    const Setting *e = ClockSettings::find(key);
    if (!e) {
        return unknownKey(key);
    }
    if (fits(*e, value)) {
        return std::nullopt;
    }
    return tr("%1 takes %2").arg(key, description(key));
}

QString unknownKey(const QString &key)
{
    // Compared without case and without the common prefix, which is easily
    // forgotten or mistyped; the one key that names a number spells it out.
    const auto bare = [](const QString &name) {
        QString lower = name.toLower().replace(QStringLiteral("24"), QStringLiteral("twentyfour"));
        return lower.startsWith(u"tkw") ? lower.mid(3) : lower;
    };
    const QString wanted = bare(key);
    QString nearest;
    int best = std::numeric_limits<int>::max();
    for (const Setting &e : ClockSettings::all()) {
        const QString known = bare(e.key);
        // A name that holds a whole key, or is held by one, is near it too
        // ("24HourDial", "ClockSizePoints").
        const bool holds = known.size() >= 4 && wanted.size() >= 4 &&
                           (wanted.contains(known) || known.contains(wanted));
        const int distance = holds ? 1 : editDistance(wanted, known);
        if (distance < best) {
            best = distance;
            nearest = e.key;
        }
    }
    if (best <= std::max(2, static_cast<int>(wanted.size() / 4))) {
        return tr("there is no clock setting named \"%1\"; did you mean %2?").arg(key, nearest);
    }
    return tr("there is no clock setting named \"%1\"; the settings are %2")
        .arg(key, clockKeys().join(QStringLiteral(", ")));
}

} // namespace SettingKinds

} // namespace tockwise
