#include "app/CommandLine.h"
#include "app/DisplayPlatform.h"
#include "app/RenderCommand.h"
#include "app/StringTable.h"
#include "app/TKWApplication.h"
#include "app/TKWController.h"
#include "clockview/FaceGeometry.h"
#include "instance/SingleInstance.h"
#include "instance/UnixSignals.h"
#include "settings/SettingsKeys.h"
#include "store/PropertyListFile.h"
#include "store/UserDefaults.h"
#include "window/TKWWindowController.h"

#include <QCommandLineParser>
#include <QDir>
#include <QThread>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

namespace tockwise {
namespace {

// The options are known before any application object exists: rendering needs
// no display, and questions to a running instance need none either.
bool needsNoDisplay(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--list" || argument == "--quit" || argument == "--help" ||
            argument == "-h" || argument == "--help-all" || argument == "--version" ||
            argument == "-v" || argument.startsWith("--click-through") ||
            argument.startsWith("--autostart") || RenderCommand::isRenderOption(argument)) {
            return true;
        }
    }
    return false;
}

// A command prints only what it means to say. Qt warns of three things that are
// no fault: a missing XDG_RUNTIME_DIR (cron, ssh, scripts), after which it does
// what it would have done anyway (and Tockwise picks its socket's folder itself),
// the client messages of window managers that its X11 backend has no use for,
// which some send at every window, the picture decoders' complaints, which name
// no file (the clock says once which picture does not read), and, on Wayland, the
// X11 tray's search for a signal only an X11 backend has, after which the status
// item is left to a tray that speaks D-Bus, as it would have been.
QtMessageHandler qtMessages = nullptr;

bool isNoise(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    return type == QtWarningMsg &&
           (text.startsWith(u"QStandardPaths: XDG_RUNTIME_DIR not set") ||
            (context.category && qstrncmp(context.category, "qt.gui.imageio", 14) == 0) ||
            (context.category && qstrcmp(context.category, "qt.qpa.xcb") == 0 &&
             text.startsWith(u"Unhandled client message")) ||
            text.contains(u"QPlatformNativeInterface::systemTrayWindowChanged"));
}

void withoutNoise(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (isNoise(type, context, text)) {
        return;
    }
    if (qtMessages) {
        qtMessages(type, context, text);
    } else {
        std::fprintf(stderr, "%s\n", qUtf8Printable(qFormatLogMessage(type, context, text)));
    }
}

void print(FILE *stream, const QString &text)
{
    if (!text.isEmpty()) {
        std::fputs(text.toLocal8Bit().constData(), stream);
        if (!text.endsWith(u'\n')) {
            std::fputc('\n', stream);
        }
    }
}

// As QCommandLineParser::process, but a mistake ends with status 2 and one line,
// as every other mistake on Tockwise's command line does.
std::optional<int> parseCommandLine(QCommandLineParser &parser)
{
    CommandLine::addOptions(parser);
    if (!parser.parse(QCoreApplication::arguments())) {
        print(stderr, QStringLiteral("tockwise: ") + parser.errorText());
        return 2;
    }
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        parser.showHelp();
    }
    if (parser.isSet(QStringLiteral("version"))) {
        parser.showVersion();
    }
    return std::nullopt;
}

int render(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TKWApplication app(argc, argv);
    StringTable::install();
    QCommandLineParser parser;
    if (const std::optional<int> ended = parseCommandLine(parser)) {
        return *ended;
    }
    TKWController::initialize();
    return RenderCommand::run(parser);
}

int applySettingsWithoutInstance(const QCommandLineParser &parser)
{
    if (parser.isSet(CommandLine::clickThrough)) {
        UserDefaults &defaults = UserDefaults::standard();
        const QString value = parser.value(CommandLine::clickThrough);
        defaults.setBool(Keys::ClickThrough, value == u"toggle"
                                                 ? !defaults.boolForKey(Keys::ClickThrough)
                                                 : value == u"on");
        if (!defaults.synchronize()) {
            return 1; // the defaults have said why
        }
    }
    if (parser.isSet(CommandLine::autostart)) {
        TKWApplication::setAutoLaunchOf(QCoreApplication::applicationFilePath(),
                                        parser.value(CommandLine::autostart) == u"on");
    }
    return 0;
}

// The sizes of the saved clocks, before the display is opened: they decide how
// Qt is to send their pictures to the X server.
std::vector<float> savedClockSizes()
{
    std::vector<float> sizes;
    const QDir folder(TKWWindowController::settingsFolder());
    for (const QString &name : folder.entryList({QStringLiteral("*.tkw")}, QDir::Files)) {
        const std::optional<PropertyList::Dictionary> settings =
            PropertyListFile::read(folder.filePath(name));
        if (!settings) {
            continue;
        }
        const auto setting = [&](const QString &key) { return settings->value(key); };
        if (setting(Keys::UseFaceImage).boolValue().value_or(false)) {
            sizes.push_back(std::numeric_limits<float>::infinity());
        } else {
            sizes.push_back(WindowSizing::clockSize(
                static_cast<std::int32_t>(setting(Keys::ClockSize).intValue().value_or(0))));
        }
    }
    return sizes;
}

// Qt's display backends end the process with exit() when their connection
// breaks, as it does when the X server goes at the end of many sessions: the
// changes still waiting for their write are written then.
TKWController *savedAtExit = nullptr;

void saveAtExit()
{
    QCoreApplication *app = QCoreApplication::instance();
    if (savedAtExit && app && QThread::currentThread() == app->thread()) {
        savedAtExit->saveAll();
    }
}

std::unique_ptr<QCoreApplication> makeCoreApplication(int &argc, char **argv)
{
    auto app = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tockwise"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TOCKWISE_VERSION));
    return app;
}

// Rendering and questions to a running instance need no display; a start that
// shows clocks chooses how Qt is to reach the screen before it connects. Where
// there is none to reach, a running instance can still be asked.
std::unique_ptr<QCoreApplication> makeApplication(int &argc, char **argv,
                                                  DisplayPlatform::Choice &platform)
{
    if (needsNoDisplay(argc, argv)) {
        return makeCoreApplication(argc, argv);
    }
    platform = DisplayPlatform::apply(savedClockSizes());
    if (!platform.canShowClocks()) {
        return makeCoreApplication(argc, argv);
    }
    return std::make_unique<TKWApplication>(argc, argv);
}

// The words of --new-clock are made a zone here, so that a question about them
// reaches this terminal; a running instance is handed the zone. Nothing after a
// mistake, which has been printed.
std::optional<QStringList> argumentsWithZone(const QCommandLineParser &parser)
{
    QStringList arguments = QCoreApplication::arguments();
    if (parser.isSet(CommandLine::newClock) && !parser.positionalArguments().isEmpty()) {
        const QString words = parser.positionalArguments().first();
        const CommandLine::ZoneChoice choice = CommandLine::chooseZone(words);
        if (!choice.zone) {
            print(stderr, QStringLiteral("tockwise: ") + choice.problem);
            return std::nullopt;
        }
        arguments = CommandLine::withZone(arguments, words, *choice.zone);
    }
    return arguments;
}

// Hands the command to a running instance where there is one. The status to end
// with, or nothing where this process is to go on as the instance.
std::optional<int> handToRunningInstance(SingleInstance &instance, const QStringList &arguments,
                                         const QCommandLineParser &parser)
{
    InstanceReply reply;
    switch (instance.claim(arguments, &reply)) {
    case SingleInstance::Role::Secondary:
        print(reply.exitCode == 0 ? stdout : stderr, reply.output);
        return reply.exitCode;
    case SingleInstance::Role::Failed:
        if (CommandLine::onlyForRunningInstance(parser)) {
            print(stderr, reply.output);
            return 2;
        }
        // A Tockwise that is there but does not answer (busy, or still starting)
        // must not get a twin writing the same settings files.
        if (instance.anotherInstanceMayRun()) {
            print(stderr, reply.output);
            return 1;
        }
        // Without a private place for the socket every start runs on its own.
        qWarning("%s", qUtf8Printable(reply.output));
        break;
    case SingleInstance::Role::Primary:
        break;
    }
    if (CommandLine::onlyForRunningInstance(parser)) {
        print(stderr, QCoreApplication::translate("main", "Tockwise is not running."));
        return 1;
    }
    if (CommandLine::changesSettingsOnly(parser)) {
        // With no instance to tell, the settings are switched where it will find
        // them at its next start.
        TKWController::initialize();
        return applySettingsWithoutInstance(parser);
    }
    return std::nullopt;
}

int showClocks(QCoreApplication &app, SingleInstance &instance, const QStringList &arguments,
               bool newClock)
{
    TKWController::initialize();
    TKWController controller;
    instance.setHandler([&controller](const QStringList &arguments) {
        return controller.handleCommand(arguments);
    });
    // Ended from outside (the session, a kill, Ctrl-C): saved as by the Quit command.
    QObject::connect(&UnixSignals::watch({SIGTERM, SIGINT, SIGHUP}), &UnixSignals::received, &app,
                     &QCoreApplication::quit);

    controller.awakeFromNib();
    controller.applicationWillFinishLaunching();
    controller.applicationDidFinishLaunching();
    if (newClock) {
        controller.handleCommand(arguments);
    }
    savedAtExit = &controller;
    std::atexit(saveAtExit);
    const int status = app.exec();
    savedAtExit = nullptr;
    return status;
}

int start(int &argc, char **argv)
{
    qtMessages = qInstallMessageHandler(withoutNoise);
    // Past a file-size limit a write then fails and is reported like a full disk,
    // instead of the signal ending the process with its changes unsaved.
    std::signal(SIGXFSZ, SIG_IGN);
    if (RenderCommand::requested(argc, argv)) {
        return render(argc, argv);
    }
    DisplayPlatform::Choice platform;
    const std::unique_ptr<QCoreApplication> app = makeApplication(argc, argv, platform);
    StringTable::install();
    QCommandLineParser parser;
    if (const std::optional<int> ended = parseCommandLine(parser)) {
        return *ended;
    }
    if (const std::optional<QString> problem = CommandLine::checkArguments(parser)) {
        print(stderr, QStringLiteral("tockwise: ") + *problem);
        return 2;
    }
    const std::optional<QStringList> arguments = argumentsWithZone(parser);
    if (!arguments) {
        return 2;
    }
    SingleInstance instance;
    if (const std::optional<int> ended = handToRunningInstance(instance, *arguments, parser)) {
        return *ended;
    }
    if (const QString notice = DisplayPlatform::noticeText(platform.notice); !notice.isEmpty()) {
        print(stderr, notice);
    }
    if (!platform.canShowClocks()) {
        return 2;
    }
    return showClocks(*app, instance, *arguments, parser.isSet(CommandLine::newClock));
}

} // namespace
} // namespace tockwise

int main(int argc, char *argv[])
{
    return tockwise::start(argc, argv);
}
