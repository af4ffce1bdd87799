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
#include "platform/Color.h"
#include "platform/UserDefaults.h"
#include "settings/SettingsKeys.h"
#include "window/TKWWindowController.h"

#include <QFile>
#include <QTimer>

#include <cstdio>
#include <fcntl.h>
#include <random>
#include <unistd.h>

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

    static const QStringList zones = {
        QStringLiteral("UTC"), QStringLiteral("Europe/Paris"), QStringLiteral("Asia/Tokyo"),
        QStringLiteral("America/New_York"), QStringLiteral("Australia/Adelaide")};
    // Each change gets values of its own where the key allows, so that a value
    // found in a file names the change that made it.
    std::uint32_t serial = random() & 0xffff;
    QTimer changes;
    changes.setInterval(15);
    QObject::connect(&changes, &QTimer::timeout, [&] {
        ++serial;
        if (random() % 8 == 0) {
            UserDefaults &defaults = UserDefaults::standard();
            if (random() % 2 == 0) {
                const bool on = random() % 2 == 0;
                defaults.setBool(Keys::AllSpaces, on);
                logLine("set defaults " + Keys::AllSpaces.toUtf8() + ' ' +
                        canonicalValue(PropertyList::boolean(on)));
            } else {
                const qint64 level = random() % 2;
                defaults.setInteger(Keys::WindowLevel, level);
                logLine("set defaults " + Keys::WindowLevel.toUtf8() + ' ' +
                        canonicalValue(PropertyList::integer(level)));
            }
            return;
        }
        const std::size_t index = random() % clocks.size();
        QString key;
        PropertyList value;
        switch (random() % 7) {
        case 0:
            key = Keys::ClockSize;
            value = PropertyList::integer(64 + serial % 193);
            break;
        case 1:
            key = Keys::Opacity;
            value = PropertyList::real(
                static_cast<double>(static_cast<float>(serial % 1000) / 1000.0f));
            break;
        case 2:
            key = Keys::FaceColor;
            value = colour(serial);
            break;
        case 3:
            key = Keys::HandColor;
            value = colour(serial * 7);
            break;
        case 4:
            key = Keys::PipStyle;
            value = PropertyList::integer(serial % 4);
            break;
        case 5:
            key = Keys::ShowSeconds;
            value = PropertyList::integer(serial % 2);
            break;
        default:
            key = Keys::TimeZone;
            value = PropertyList::string(zones.at(serial % zones.size()));
            break;
        }
        clocks[index]->clockSettings()->setValue(key, value);
        logLine("set " + QByteArray::number(qulonglong(index)) + ' ' + key.toUtf8() + ' ' +
                canonicalValue(value));
    });
    changes.start();
    return QCoreApplication::exec();
}
