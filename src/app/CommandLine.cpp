#include "app/CommandLine.h"

#include "app/RenderCommand.h"
#include "settings/SettingArgument.h"
#include "time/TimeZone.h"
#include "time/ZoneSearch.h"

#include <QCoreApplication>

#include <algorithm>

namespace tockwise {

namespace {

// Candidates beyond these would scroll the question off the terminal.
constexpr std::size_t mostCandidatesShown = 20;

} // namespace

namespace CommandLine {

void addOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(
        QCoreApplication::translate("CommandLine", "Clocks that float on your desktop."));
    parser.addHelpOption();
    parser.addPositionalArgument(
        //: The name of the argument in the help, as --new-clock's description calls it.
        QCoreApplication::translate("CommandLine", "zone"),
        QCoreApplication::translate("CommandLine",
                                    "With --new-clock: a zone such as Europe/Paris, or its "
                                    "city or country, such as \"new york\" or Japan."),
        QCoreApplication::translate("CommandLine", "[zone]"));
    parser.addVersionOption();
    parser.addOptions(RenderCommand::options());
    parser.addOptions({
        {newClock, QCoreApplication::translate(
                       "CommandLine", "Adds a clock for ZONE (a local clock without ZONE), "
                                      "starting Tockwise first where none runs.")},
        {clickThrough,
         QCoreApplication::translate("CommandLine",
                                     "Switches click-through on, off or over (toggle)."),
         QStringLiteral("on|off|toggle")},
        {autostart, QCoreApplication::translate("CommandLine", "Starts Tockwise at login, or not."),
         QStringLiteral("on|off")},
        {list, QCoreApplication::translate(
                   "CommandLine", "Prints the running instance's clocks: settings file, zone.")},
        {quit, QCoreApplication::translate(
                   "CommandLine", "Asks the running instance to quit, saving every clock.")},
    });
}

bool onlyForRunningInstance(const QCommandLineParser &parser)
{
    return parser.isSet(list) || parser.isSet(quit);
}

bool changesSettingsOnly(const QCommandLineParser &parser)
{
    return parser.isSet(clickThrough) || parser.isSet(autostart);
}

std::optional<QString> checkArguments(const QCommandLineParser &parser)
{
    if (const std::optional<QString> stray = RenderCommand::strayOption(parser)) {
        return *stray;
    }
    const QStringList positional = parser.positionalArguments();
    if (!parser.isSet(newClock) && !positional.isEmpty()) {
        return QCoreApplication::translate("CommandLine", "Unexpected argument \"%1\".")
            .arg(positional.first());
    }
    if (positional.size() > 1) {
        return QCoreApplication::translate("CommandLine", "--new-clock takes one zone at most.");
    }
    if (parser.isSet(clickThrough)) {
        const QString value = parser.value(clickThrough);
        if (value != u"on" && value != u"off" && value != u"toggle") {
            return QCoreApplication::translate(
                       "CommandLine", "--click-through takes on, off or toggle, not \"%1\".")
                .arg(value);
        }
    }
    if (parser.isSet(autostart)) {
        const QString value = parser.value(autostart);
        if (value != u"on" && value != u"off") {
            return QCoreApplication::translate("CommandLine",
                                               "--autostart takes on or off, not \"%1\".")
                .arg(value);
        }
    }
    return std::nullopt;
}

ZoneChoice chooseZone(const QString &words)
{
    if (TimeZone::named(words)) {
        return {words, {}};
    }
    const ZoneSearch search(TimeZone::knownTimeZoneNames(), ZoneSearch::userLanguage());
    if (const std::optional<QString> zone = search.uniqueZone(words)) {
        return {zone, {}};
    }
    const std::vector<ZoneSearch::Match> found = search.find(words);
    if (found.empty()) {
        return {std::nullopt, QCoreApplication::translate(
                                  "CommandLine", "No time zone, city or country is called \"%1\". "
                                                 "Name another, or give a zone identifier such as "
                                                 "Europe/Paris.")
                                  .arg(SettingArgument::printable(words))};
    }
    const std::size_t shown = std::min(found.size(), mostCandidatesShown);
    qsizetype width = 0;
    for (std::size_t i = 0; i < shown; ++i) {
        width = std::max(width, found[i].zone.size());
    }
    QStringList lines{
        QCoreApplication::translate("CommandLine", "\"%1\" could be any of these time zones:")
            .arg(SettingArgument::printable(words))};
    for (std::size_t i = 0; i < shown; ++i) {
        lines << QStringLiteral("  %1  %2")
                     .arg(found[i].zone, -static_cast<int>(width))
                     .arg(search.place(found[i].zone));
    }
    if (const auto more = static_cast<int>(found.size() - shown); more > 0) {
        //: Ends a list of time zones cut short; %n is the number of those left out.
        lines << QCoreApplication::translate("CommandLine", "  and %n more", nullptr, more);
    }
    lines << QCoreApplication::translate(
        "CommandLine", "Name one of these zones, or give its identifier such as Europe/Paris.");
    return {std::nullopt, lines.join(u'\n')};
}

QStringList withZone(QStringList arguments, const QString &words, const QString &zone)
{
    // The words are the last argument that equals them and is no option's value.
    for (qsizetype i = arguments.size() - 1; i > 0; --i) {
        if (arguments[i] == words && arguments[i - 1] != QStringLiteral("--") + clickThrough &&
            arguments[i - 1] != QStringLiteral("--") + autostart) {
            arguments[i] = zone;
            break;
        }
    }
    return arguments;
}

} // namespace CommandLine

} // namespace tockwise
