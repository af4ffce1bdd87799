// A Tockwise that never stops changing its clocks, for the kill test:
//   reliability_churn LOG SEED
// It launches as the application does (the controller opens every clock of the
// settings folder), then every few milliseconds changes one setting as the
// settings panel or the clocks' menu does: a clock's value in its settings, or an
// application-wide one in the user defaults. So every write goes through the
// product's own paths, with their delays. Each change is logged after it is made,
// one line per write(2) on an O_APPEND file, so that a line is in the file before
// anything could have saved the change it names:
//   MICROSECONDS clock INDEX PATH      (before "ready", one per clock)
//   MICROSECONDS ready COUNT
//   MICROSECONDS set TARGET KEY VALUE  (TARGET: a clock's index or "defaults")
// The time is the monotonic clock's, VALUE as canonicalValue gives it.

#include "Support.h"
#include "app/TKWApplication.h"
#include "app/TKWController.h"
#include "graphics/Color.h"
#include "settings/SettingsKeys.h"
#include "store/UserDefaults.h"
#include "window/TKWWindowController.h"

#include <cstdio>
#include <fcntl.h>
#include <random>

using namespace tockwise;

namespace {

int logFile = -1;

void logLine(const QByteArray &text)
{
    const QByteArray line = QByteArray::number(monotonicMicroseconds()) + ' ' + text + '\n';
    if (::write(logFile, line.constData(), std::size_t(line.size())) != line.size()) {
        std::perror("reliability_churn: log");
        ::_exit(3);
    }
}

PropertyList colour(std::uint32_t serial)
{
    const auto channel = [serial](int shift) {
        return static_cast<float>((serial >> shift) & 0xff) / 255.0f;
    };
    return PropertyList::data(
        Color::calibratedRGB(channel(0), channel(8), channel(16), 1).encode());
}

} // namespace

int main(int argc, char *argv[])
{
    TKWApplication app(argc, argv);
    if (argc != 3) {
        std::fputs("usage: reliability_churn LOG SEED\n", stderr);
        return 2;
    }
    logFile = ::open(argv[1], O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (logFile < 0) {
        std::perror("reliability_churn: log");
        return 2;
    }
    std::mt19937 random(static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 10)));

    TKWController::initialize();
    TKWController controller;
    controller.awakeFromNib();
    controller.applicationWillFinishLaunching();
    controller.applicationDidFinishLaunching();
    const auto &clocks = controller.clocks();
    for (std::size_t i = 0; i < clocks.size(); ++i) {
        logLine("clock " + QByteArray::number(qulonglong(i)) + ' ' +
                QFile::encodeName(clocks[i]->settingsFile()));
    }
    logLine("ready " + QByteArray::number(qulonglong(clocks.size())));
    if (clocks.empty()) {
        return 4;
    }

    static const QStringList zones = {"UTC", "Europe/Paris", "Asia/Tokyo", "America/New_York",
                                      "Australia/Adelaide"};
    // Each change gets values of its own where the key allows, so that a value
    // found in a file names the change that made it.
    using Value = std::function<PropertyList(std::uint32_t)>;
    const std::pair<QString, Value> clockChanges[] = {
        {Keys::ClockSize, [](std::uint32_t n) { return PropertyList::integer(64 + n % 193); }},
        {Keys::Opacity,
         [](std::uint32_t n) { return PropertyList::real(double(float(n % 1000) / 1000.0f)); }},
        {Keys::FaceColor, colour},
        {Keys::HandColor, [](std::uint32_t n) { return colour(n * 7); }},
        {Keys::PipStyle, [](std::uint32_t n) { return PropertyList::integer(n % 4); }},
        {Keys::ShowSeconds, [](std::uint32_t n) { return PropertyList::integer(n % 2); }},
        {Keys::TimeZone,
         [](std::uint32_t n) { return PropertyList::string(zones.at(n % zones.size())); }},
    };
    const std::pair<QString, Value> defaultsChanges[] = {
        {Keys::AllSpaces, [](std::uint32_t n) { return PropertyList::boolean(n % 2); }},
        {Keys::WindowLevel, [](std::uint32_t n) { return PropertyList::integer(n % 2); }},
    };
    std::uint32_t serial = random() & 0xffff;
    QTimer changes;
    changes.setInterval(15);
    QObject::connect(&changes, &QTimer::timeout, [&] {
        ++serial;
        const bool ofDefaults = random() % 8 == 0;
        const auto &[key, value] =
            ofDefaults ? defaultsChanges[random() % 2] : clockChanges[random() % 7];
        const std::size_t index = random() % clocks.size();
        const PropertyList changed = value(serial);
        if (ofDefaults) {
            UserDefaults::standard().setObject(key, changed);
        } else {
            clocks[index]->clockSettings()->setValue(key, changed);
        }
        logLine("set " + (ofDefaults ? QByteArray("defaults") : QByteArray::number(index)) + ' ' +
                key.toUtf8() + ' ' + canonicalValue(changed));
    });
    changes.start();
    return QCoreApplication::exec();
}
