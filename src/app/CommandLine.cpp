#include "app/CommandLine.h"

#include "app/RenderCommand.h"

#include <QCoreApplication>

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
                                    "With --new-clock: a zone such as Europe/Paris."),
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

} // namespace CommandLine
