#include "app/CommandLine.h"

#include "app/RenderCommand.h"

#include <QCoreApplication>

namespace CommandLine {

void addOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(
        QCoreApplication::translate("CommandLine", "Clocks that float on your desktop."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions(RenderCommand::options());
    parser.addOptions({
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

} // namespace CommandLine
