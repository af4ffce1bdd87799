// Tockwise killed with SIGKILL while its clocks change without pause: every file
// must still parse, hold the values of one moment, and lose no change older than
// two seconds. The program that changes the clocks is Churn.cpp.

#include "Support.h"
#include "platform/PropertyListFile.h"
#include "settings/SettingsKeys.h"
#include "window/TKWWindowController.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <limits>
#include <random>
#include <thread>

using namespace Reliability;

namespace {

constexpr int kills = 50;
// How long after its launch a churn may run before it is killed.
constexpr auto longestRun = 3200ms;
// What a crash may cost at most: the changes of the last two seconds.
constexpr qint64 promisedUs = 2'000'000;

struct Change
{
    qint64 time;
    QByteArray value;
};
using KeyChanges = QHash<QString, std::vector<Change>>;

struct ChurnLog
{
    QStringList clockFiles;
    bool ready = false;
    int changeCount = 0;
    // By target: a clock's index or "defaults".
    QHash<QString, KeyChanges> changes;
};

ChurnLog parseLog(const QByteArray &bytes)
{
    ChurnLog log;
    // A line is complete only with its newline.
    const QList<QByteArray> lines = bytes.left(bytes.lastIndexOf('\n') + 1).split('\n');
    for (const QByteArray &line : lines) {
        const QList<QByteArray> words = line.split(' ');
        if (words.size() >= 4 && words[1] == "clock") {
            log.clockFiles.append(QFile::decodeName(line).section(u' ', 3));
        } else if (words.size() >= 2 && words[1] == "ready") {
            log.ready = true;
        } else if (words.size() == 5 && words[1] == "set") {
            log.changes[QString::fromUtf8(words[2])][QString::fromUtf8(words[3])].push_back(
                {words[0].toLongLong(), words[4]});
            ++log.changeCount;
        }
    }
    return log;
}

struct Verdict
{
    QString problem;    // empty when the file holds the values of one moment
    qint64 lostAge = 0; // how old the oldest change missing from the file was
};

// A file is written from the settings of one moment S: for every key changed,
// it holds the value of the last change before S (or the value from before the
// run), and every key never changed is as it was. Looks for the latest such S.
Verdict judge(const PropertyList::Dictionary &file, const PropertyList::Dictionary &before,
              const KeyChanges &changes, qint64 killedAt, bool othersKept)
{
    constexpr qint64 never = std::numeric_limits<qint64>::min();
    constexpr qint64 forever = std::numeric_limits<qint64>::max();
    struct Candidate
    {
        qint64 from;
        qint64 until;
    };
    std::vector<std::vector<Candidate>> candidates;
    std::vector<qint64> moments{never};
    for (auto it = changes.cbegin(); it != changes.cend(); ++it) {
        const QByteArray found = canonicalValue(file.value(it.key()));
        const std::vector<Change> &list = it.value();
        std::vector<Candidate> matches;
        if (canonicalValue(before.value(it.key())) == found) {
            matches.push_back({never, list.front().time});
        }
        for (std::size_t j = 0; j < list.size(); ++j) {
            moments.push_back(list[j].time);
            if (list[j].value == found) {
                matches.push_back({list[j].time, j + 1 < list.size() ? list[j + 1].time : forever});
            }
        }
        if (matches.empty()) {
            return {QStringLiteral("%1 holds a value that was never set").arg(it.key())};
        }
        candidates.push_back(std::move(matches));
    }
    if (othersKept) {
        PropertyList::Dictionary rest = file;
        PropertyList::Dictionary restBefore = before;
        for (const QString &key : changes.keys()) {
            rest.remove(key);
            restBefore.remove(key);
        }
        if (!(rest == restBefore)) {
            return {QStringLiteral("settings nobody changed are different")};
        }
    }
    std::sort(moments.begin(), moments.end(), std::greater<>());
    for (const qint64 moment : moments) {
        const bool fits = std::all_of(candidates.begin(), candidates.end(), [&](const auto &list) {
            return std::any_of(list.begin(), list.end(), [&](const Candidate &c) {
                return c.from <= moment && moment < c.until;
            });
        });
        if (!fits) {
            continue;
        }
        qint64 firstMissing = forever;
        for (const std::vector<Change> &list : changes) {
            for (const Change &change : list) {
                if (change.time > moment) {
                    firstMissing = std::min(firstMissing, change.time);
                    break;
                }
            }
        }
        return {{}, firstMissing == forever ? 0 : std::max<qint64>(0, killedAt - firstMissing)};
    }
    return {QStringLiteral("its values are of no single moment")};
}

PropertyList::Dictionary clockSettings(const QString &zone, int size)
{
    PropertyList::Dictionary settings = TKWWindowController::defaultConfig();
    settings.insert(Keys::TimeZone, PropertyList::string(zone));
    settings.insert(Keys::Local, PropertyList::boolean(false));
    settings.insert(Keys::ClockSize, PropertyList::integer(size));
    return settings;
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace

TEST(Kill, EveryFileHoldsOneMomentAndNothingOlderThanTwoSecondsIsLost)
{
    std::uint32_t seed = std::random_device()();
    if (const char *given = std::getenv("TOCKWISE_KILL_SEED")) {
        seed = static_cast<std::uint32_t>(std::strtoul(given, nullptr, 10));
    }
    std::cout << "kill test seed " << seed << " (TOCKWISE_KILL_SEED=" << seed
              << " repeats this run)" << std::endl;
    RecordProperty("seed", std::to_string(seed));
    std::mt19937 random(seed);

    Home home;
    ASSERT_TRUE(QDir().mkpath(home.settingsFolder()));
    const QStringList names = {QStringLiteral("0C1A3B5E-0000-4000-8000-000000000001.tkw"),
                               QStringLiteral("0C1A3B5E-0000-4000-8000-000000000002.tkw"),
                               QStringLiteral("0C1A3B5E-0000-4000-8000-000000000003.tkw")};
    QStringList files;
    for (int i = 0; i < names.size(); ++i) {
        files.append(QDir(home.settingsFolder()).filePath(names[i]));
        ASSERT_TRUE(PropertyListFile::write(
            files.last(),
            clockSettings(i == 0 ? QStringLiteral("Asia/Tokyo") : QStringLiteral("Europe/Paris"),
                          100 + 20 * i)));
    }
    ASSERT_TRUE(PropertyListFile::write(home.defaultsFile(),
                                        {{Keys::Converted, PropertyList::boolean(true)},
                                         {Keys::AllSpaces, PropertyList::boolean(false)},
                                         {Keys::WindowLevel, PropertyList::integer(0)}}));

    const qint64 budget = promisedUs;
    int changes = 0;
    qint64 oldestLost = 0;
    for (int round = 0; round < kills; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        QHash<QString, PropertyList::Dictionary> before;
        for (const QString &file : files) {
            before[file] = PropertyListFile::read(file).value_or(PropertyList::Dictionary());
        }
        const PropertyList::Dictionary defaultsBefore =
            PropertyListFile::read(home.defaultsFile()).value_or(PropertyList::Dictionary());

        const QString logPath = home.filePath(QStringLiteral("churn-%1.log").arg(round));
        Process churn(QStringLiteral(RELIABILITY_CHURN), {logPath, QString::number(random())},
                      {home.environment()});
        ASSERT_TRUE(
            waitFor([&] { return parseLog(readFile(logPath)).ready || churn.poll(); }, 20s));
        ASSERT_FALSE(churn.poll()) << churn.finish().describe();
        const auto pause = std::chrono::milliseconds(random() % longestRun.count());
        std::this_thread::sleep_for(pause);
        ASSERT_FALSE(churn.poll()) << "the churn ended by itself: " << churn.finish().describe();
        const qint64 killedAt = monotonicMicroseconds();
        churn.signal(SIGKILL);
        const Outcome ended = churn.finish(10s);
        ASSERT_TRUE(ended.signalled && ended.signal == SIGKILL) << ended.describe();

        const ChurnLog log = parseLog(readFile(logPath));
        ASSERT_EQ(log.clockFiles, files) << "every clock opened, in the order of its name";
        changes += log.changeCount;
        for (int i = 0; i < files.size(); ++i) {
            QString error;
            const auto found = PropertyListFile::read(files[i], &error);
            ASSERT_TRUE(found) << files[i].toStdString() << ": " << error.toStdString();
            const Verdict verdict = judge(*found, before[files[i]],
                                          log.changes.value(QString::number(i)), killedAt, true);
            EXPECT_TRUE(verdict.problem.isEmpty())
                << files[i].toStdString() << ": " << verdict.problem.toStdString();
            oldestLost = std::max(oldestLost, verdict.lostAge);
            EXPECT_LE(verdict.lostAge, budget)
                << files[i].toStdString() << " lost a change " << verdict.lostAge / 1000
                << " ms old after " << pause.count() << " ms";
        }
        QString error;
        const auto defaults = PropertyListFile::read(home.defaultsFile(), &error);
        ASSERT_TRUE(defaults) << "defaults: " << error.toStdString();
        // Windows keep their places in the defaults too; those keys are not followed.
        const Verdict verdict =
            judge(*defaults, defaultsBefore, log.changes.value(QStringLiteral("defaults")),
                  killedAt, false);
        EXPECT_TRUE(verdict.problem.isEmpty()) << "defaults: " << verdict.problem.toStdString();
        EXPECT_LE(verdict.lostAge, budget) << "defaults lost a change";
        oldestLost = std::max(oldestLost, verdict.lostAge);

        // A write cut short leaves nothing behind.
        EXPECT_EQ(entries(home.settingsFolder()), names);
        EXPECT_EQ(entries(home.configFolder()),
                  QStringList{QFileInfo(home.defaultsFile()).fileName()});
        QFile::remove(logPath);
        if (HasFailure()) {
            break;
        }
    }
    std::cout << kills << " kills, " << changes
              << " changes; the oldest change missing from a file at a kill was "
              << oldestLost / 1000 << " ms old (allowed: " << budget / 1000 << " ms)" << std::endl;
}

// A clock that has just come into being has never been changed; it must reach its
// file all the same, or a kill takes it along. The first clock of a first start
// and one added by a later start are both asked for.
TEST(Kill, ANewClockIsOnDiskBeforeItIsEverChanged)
{
    Home home;
    const QDir folder(home.settingsFolder());
    const auto clocksOnDisk = [&folder] {
        QStringList zones;
        for (const QString &name : folder.entryList({QStringLiteral("*.tkw")}, QDir::Files)) {
            const auto settings = PropertyListFile::read(folder.filePath(name));
            if (!settings ||
                !(QFileInfo(folder.filePath(name)).permissions() ==
                  (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser))) {
                return QStringList{QStringLiteral("unreadable or not private: ") + name};
            }
            const PropertyList zone = settings->value(Keys::TimeZone);
            zones.append(zone.asString() ? *zone.asString() : QStringLiteral("local"));
        }
        zones.sort();
        return zones;
    };
    const QStringList expected = {QStringLiteral("Asia/Tokyo"), QStringLiteral("local")};
    {
        RunningTockwise first(home);
        ASSERT_TRUE(first.serving());
        ASSERT_TRUE(tockwise(home, {QStringLiteral("--new-clock"), QStringLiteral("Asia/Tokyo")})
                        .cleanExit());
        EXPECT_TRUE(waitFor([&] { return clocksOnDisk() == expected; }, 20s))
            << [&] { return clocksOnDisk().join(u' ').toStdString(); }();
        first.process().signal(SIGKILL);
        first.process().finish(10s);
    }
    RunningTockwise next(home);
    ASSERT_TRUE(next.serving());
    EXPECT_EQ(next.listedFiles().size(), 2);
    EXPECT_TRUE(next.quit().cleanExit());
    EXPECT_EQ(clocksOnDisk().join(u' '), expected.join(u' '));
}
