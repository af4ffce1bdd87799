#include "app/RenderCommand.h"

#include "clockview/TKWView.h"
#include "settings/ClockDefaults.h"
#include "settings/SettingArgument.h"
#include "settings/SettingKinds.h"
#include "store/ObservableDictionary.h"
#include "store/PropertyListFile.h"
#include "time/TimeSource.h"
#include "window/ClockSizing.h"
#include "window/TKWWindowController.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QImageWriter>
#include <QRegularExpression>

#include <cstdio>
#include <cstring>

namespace tockwise {

namespace {

const QString renderOption = QStringLiteral("render");
const QString settingsOption = QStringLiteral("settings");
const QString setOption = QStringLiteral("set");
const QString timeOption = QStringLiteral("time");
const QString scaleOption = QStringLiteral("scale");

int failure(const QString &message)
{
    std::fprintf(stderr, "tockwise: %s\n", qUtf8Printable(message));
    return 2;
}

std::optional<Instant> parseInstant(const QString &text)
{
    // An instant needs its offset: a bare local time would depend on where it runs.
    static const QRegularExpression withOffset(QStringLiteral("(Z|[+-][0-9]{2}(:?[0-9]{2})?)$"));
    if (!withOffset.match(text).hasMatch()) {
        return std::nullopt;
    }
    const QDateTime parsed = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!parsed.isValid()) {
        return std::nullopt;
    }
    return Instant(std::chrono::milliseconds(parsed.toMSecsSinceEpoch()));
}

// A screen far larger than any clock, so that nothing moves the frame.
ScreenInfo renderingScreen()
{
    constexpr float side = 100000;
    return {{0, 0, side, side}, {0, 0, side, side}, 0, false};
}

} // namespace

namespace RenderCommand {

QImage draw(const PropertyList::Dictionary &settings, Instant instant, double scale)
{
    PinnedTime pinned(instant);
    TKWView view;
    ClockSizing::follow(
        view, std::make_shared<DetachedWindowFrame>(Rect{1000, 1000, 128, 128}, renderingScreen()));
    view.awakeFromNib();
    view.setModel(TKWWindowController::modelOf(ObservableDictionary(settings)));
    return view.renderImage(scale);
}

QList<QCommandLineOption> options()
{
    return {
        {renderOption,
         QCoreApplication::translate("RenderCommand",
                                     "Draws one frame of a clock into a PNG file."),
         QCoreApplication::translate("RenderCommand", "file.png")},
        {settingsOption,
         QCoreApplication::translate("RenderCommand", "With --render: the clock's settings file."),
         QCoreApplication::translate("RenderCommand", "file.tkw")},
        {setOption,
         QCoreApplication::translate(
             "RenderCommand",
             "With --render: sets one clock setting (repeatable): true/false, a number, "
             "#rrggbb[aa] for a colour, a file for TKWFaceImage, or text."),
         QCoreApplication::translate("RenderCommand", "KEY=VALUE")},
        {timeOption,
         QCoreApplication::translate(
             "RenderCommand", "With --render: the instant shown, ISO 8601 with an offset or Z."),
         QCoreApplication::translate("RenderCommand", "instant")},
        {scaleOption,
         QCoreApplication::translate("RenderCommand",
                                     "With --render: the device pixel ratio (default 1)."),
         QCoreApplication::translate("RenderCommand", "factor")},
    };
}

std::optional<QString> strayOption(const QCommandLineParser &parser)
{
    for (const QString &option : {settingsOption, setOption, timeOption, scaleOption}) {
        if (parser.isSet(option)) {
            return QCoreApplication::translate("RenderCommand", "--%1 works only with --render")
                .arg(option);
        }
    }
    return std::nullopt;
}

bool isRenderOption(const QByteArray &argument)
{
    for (const QString &option :
         {renderOption, settingsOption, setOption, timeOption, scaleOption}) {
        const QByteArray name = "--" + option.toLatin1();
        if (argument == name || argument.startsWith(name + '=')) {
            return true;
        }
    }
    return false;
}

bool requested(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--render") == 0 || std::strncmp(argv[i], "--render=", 9) == 0) {
            return true;
        }
    }
    return false;
}

namespace {

// The settings to draw: the stock clock's or a file's, then each --set in turn.
// What is wrong, if anything.
std::optional<QString> readSettings(const QCommandLineParser &parser,
                                    PropertyList::Dictionary &settings)
{
    settings = TKWWindowController::defaultConfig();
    if (parser.isSet(settingsOption)) {
        const QString path = parser.value(settingsOption);
        QString error;
        std::optional<PropertyList::Dictionary> loaded = PropertyListFile::read(path, &error);
        if (!loaded) {
            return QCoreApplication::translate("RenderCommand",
                                               "cannot read the settings file %1: %2")
                .arg(SettingArgument::printable(path), error);
        }
        // Keys that are no clock setting may be another version's, and are kept.
        for (auto entry = loaded->cbegin(); entry != loaded->cend(); ++entry) {
            if (!SettingKinds::kindOf(entry.key())) {
                continue;
            }
            if (const std::optional<QString> misfit = SettingKinds::misfit(entry.key(), *entry)) {
                return QCoreApplication::translate("RenderCommand",
                                                   "cannot draw the settings file %1: its %2")
                    .arg(SettingArgument::printable(path), *misfit);
            }
        }
        settings = std::move(*loaded);
        ClockDefaults::applyFillIns(settings);
    }
    for (const QString &assignment : parser.values(setOption)) {
        QString error;
        const auto setting = SettingArgument::parse(assignment, &error);
        if (!setting) {
            return error;
        }
        settings.insert(setting->key, setting->value);
    }
    return std::nullopt;
}

// The instant to draw (now without --time) and the scale to draw at.
std::optional<QString> readMoment(const QCommandLineParser &parser, Instant &instant, double &scale)
{
    instant = TimeSource::now();
    if (parser.isSet(timeOption)) {
        const std::optional<Instant> given = parseInstant(parser.value(timeOption));
        if (!given) {
            return QCoreApplication::translate(
                       "RenderCommand", "--time takes an ISO 8601 instant with an offset or Z, "
                                        "such as 2026-12-06T10:10:30Z, not \"%1\"")
                .arg(SettingArgument::printable(parser.value(timeOption)));
        }
        instant = *given;
    }
    scale = 1;
    if (parser.isSet(scaleOption)) {
        bool ok = false;
        scale = parser.value(scaleOption).toDouble(&ok);
        if (!ok || !(scale >= 0.25 && scale <= 16)) {
            return QCoreApplication::translate("RenderCommand",
                                               "--scale takes a number from 0.25 to 16, not \"%1\"")
                .arg(SettingArgument::printable(parser.value(scaleOption)));
        }
    }
    return std::nullopt;
}

} // namespace

int run(const QCommandLineParser &parser)
{
    for (const QString &option : {renderOption, settingsOption, timeOption, scaleOption}) {
        if (parser.values(option).size() > 1) {
            return failure(
                QCoreApplication::translate("RenderCommand", "--%1 is given more than once")
                    .arg(option));
        }
    }
    const QString output = parser.value(renderOption);
    if (output.isEmpty()) {
        return failure(QCoreApplication::translate(
            "RenderCommand", "--render needs the path of the PNG file to write"));
    }
    PropertyList::Dictionary settings;
    Instant instant;
    double scale = 1;
    if (const std::optional<QString> problem = readSettings(parser, settings)) {
        return failure(*problem);
    }
    if (const std::optional<QString> problem = readMoment(parser, instant, scale)) {
        return failure(*problem);
    }
    const QImage image = draw(settings, instant, scale);

    QImageWriter writer(output, "png");
    if (!writer.write(image)) {
        return failure(QCoreApplication::translate("RenderCommand", "cannot write %1: %2")
                           .arg(SettingArgument::printable(output), writer.errorString()));
    }
    return 0;
}

} // namespace RenderCommand

} // namespace tockwise
