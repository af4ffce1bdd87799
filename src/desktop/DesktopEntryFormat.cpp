#include "desktop/DesktopEntryFormat.h"

#include <QStringList>

#include <algorithm>

namespace tockwise {

namespace {

const QString reservedCharacters = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
const QString escapedInQuotes = QStringLiteral("\"`$\\");

bool isUnrepresentable(QChar c)
{
    const char16_t u = c.unicode();
    return (u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') || u == 0x7f;
}

// The escapes of a string value of the desktop-entry format, which apply to the
// whole Exec value before its own quoting is undone.
QString escapeStringValue(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\':
            escaped += QStringLiteral("\\\\");
            break;
        case u'\n':
            escaped += QStringLiteral("\\n");
            break;
        case u'\t':
            escaped += QStringLiteral("\\t");
            break;
        case u'\r':
            escaped += QStringLiteral("\\r");
            break;
        default:
            escaped += c;
        }
    }
    if (escaped.startsWith(u' ')) {
        escaped.replace(0, 1, QStringLiteral("\\s"));
    }
    return escaped;
}

// Unknown escapes are kept as written rather than failing the whole entry: the
// format calls a lone "\$" ambiguous, and hand-written entries use it.
QString unescapeStringValue(const QString &value)
{
    QString text;
    text.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        switch (value[i + 1].unicode()) {
        case u's':
            text += u' ';
            break;
        case u'n':
            text += u'\n';
            break;
        case u't':
            text += u'\t';
            break;
        case u'r':
            text += u'\r';
            break;
        case u'\\':
            text += u'\\';
            break;
        default:
            text += value[i];
            text += value[i + 1];
        }
        ++i;
    }
    return text;
}

// The first argument of an unescaped Exec value, its quoting undone.
std::optional<QString> firstArgument(const QString &command)
{
    QString argument;
    bool started = false;
    bool quoted = false;
    for (qsizetype i = 0; i < command.size(); ++i) {
        const QChar c = command[i];
        if (quoted) {
            if (c == u'"') {
                quoted = false;
            } else if (c == u'\\' && i + 1 < command.size() &&
                       escapedInQuotes.contains(command[i + 1])) {
                argument += command[++i];
            } else {
                argument += c;
            }
        } else if (c == u' ' || c == u'\t' || c == u'\n') {
            if (started) {
                break;
            }
        } else if (c == u'"') {
            quoted = true;
            started = true;
        } else {
            argument += c;
            started = true;
        }
    }
    if (quoted || !started) {
        return std::nullopt;
    }
    return argument;
}

// Field codes are expanded after unquoting; in a program path only the escaped
// percent sign can stand.
QString expandPercent(const QString &argument)
{
    QString expanded;
    expanded.reserve(argument.size());
    for (qsizetype i = 0; i < argument.size(); ++i) {
        expanded += argument[i];
        if (argument[i] == u'%' && i + 1 < argument.size() && argument[i + 1] == u'%') {
            ++i;
        }
    }
    return expanded;
}

} // namespace

namespace DesktopEntryFormat {

std::optional<QString> execValue(const QString &program)
{
    if (program.isEmpty() || std::any_of(program.begin(), program.end(), isUnrepresentable)) {
        return std::nullopt;
    }
    QString argument = program;
    argument.replace(u'%', QStringLiteral("%%"));
    const bool needsQuotes = std::any_of(argument.begin(), argument.end(),
                                         [](QChar c) { return reservedCharacters.contains(c); });
    if (needsQuotes) {
        QString quoted = QStringLiteral("\"");
        for (const QChar c : argument) {
            if (escapedInQuotes.contains(c)) {
                quoted += u'\\';
            }
            quoted += c;
        }
        argument = quoted + u'"';
    }
    return escapeStringValue(argument);
}

std::optional<QString> programOfExecValue(const QString &value)
{
    const std::optional<QString> argument = firstArgument(unescapeStringValue(value));
    if (!argument || argument->isEmpty()) {
        return std::nullopt;
    }
    return expandPercent(*argument);
}

std::optional<QHash<QString, QString>> mainGroup(const QByteArray &text)
{
    QHash<QString, QString> keys;
    bool inMainGroup = false;
    bool sawMainGroup = false;
    for (QString line : QString::fromUtf8(text).split(u'\n')) {
        if (line.endsWith(u'\r')) {
            line.chop(1);
        }
        if (line.startsWith(u'[')) {
            inMainGroup = !sawMainGroup && line == u"[Desktop Entry]";
            sawMainGroup = sawMainGroup || inMainGroup;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inMainGroup || line.startsWith(u'#') || equals < 0) {
            continue;
        }
        QString value = line.mid(equals + 1);
        while (value.startsWith(u' ') || value.startsWith(u'\t')) {
            value.remove(0, 1);
        }
        keys.insert(line.left(equals).trimmed(), value);
    }
    if (!sawMainGroup) {
        return std::nullopt;
    }
    return keys;
}

} // namespace DesktopEntryFormat

} // namespace tockwise
