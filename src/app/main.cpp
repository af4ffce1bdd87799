#include "app/RenderCommand.h"
#include "app/TKWController.h"

#include <QApplication>
#include <QCommandLineParser>

#include <memory>

int main(int argc, char *argv[])
{
    // Rendering draws into an image and never needs a display; everything else
    // that runs without one (--help, --version) needs no widgets at all.
    std::unique_ptr<QCoreApplication> app;
    if (RenderCommand::requested(argc, argv)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("Tockwise"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("tockwise.org"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TOCKWISE_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QCoreApplication::translate("main", "Clocks that float on your desktop."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions(RenderCommand::options());
    parser.process(*app);

    TKWController::initialize();
    if (parser.isSet(QStringLiteral("render"))) {
        return RenderCommand::run(parser);
    }
    // Until the clock windows exist, starting without options explains the options.
    parser.showHelp(0);
}
