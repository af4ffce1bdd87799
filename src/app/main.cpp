#include "app/TKWController.h"

#include <QCommandLineParser>
#include <QCoreApplication>

int main(int argc, char *argv[])
{
    // The command line is read before any display is needed, so that --help and
    // --version work on a machine without one.
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tockwise"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("tockwise.org"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TOCKWISE_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QCoreApplication::translate("main", "Clocks that float on your desktop."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(app);

    TKWController::initialize();
    // Until the clock windows exist, starting without options explains the options.
    parser.showHelp(0);
}
