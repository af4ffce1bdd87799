#include "platform/SecondTimer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace std::chrono;
using namespace std::chrono_literals;

namespace {

system_clock::time_point at(nanoseconds sinceEpoch)
{
    return system_clock::time_point(duration_cast<system_clock::duration>(sinceEpoch));
}

constexpr seconds someSecond{1'700'000'000}; // 2023-11-14T22:13:20Z

} // namespace

TEST(SecondTimerTest, TheTickComesJustAfterTheNextTurnOfTheSecond)
{
    const struct
    {
        const char *name;
        nanoseconds now;
        milliseconds delay;
    } rows[] = {
        {"exactly on a second", someSecond, 1010ms},
        {"a nanosecond after a second", someSecond + 1ns, 1010ms},
        {"just before the tick", someSecond + 9ms + 999us, 1001ms},
        {"exactly at the tick", someSecond + 10ms, 1000ms},
        {"a nanosecond before a second", someSecond - 1ns, 11ms},
        {"a nanosecond before the epoch", -1ns, 11ms},
        {"half a second before the epoch", -500ms, 510ms},
        {"in 1901", -seconds(2'147'483'648) + 250ms, 760ms},
    };
    for (const auto &row : rows) {
        EXPECT_EQ(delayUntilNextTick(at(row.now)), row.delay) << row.name;
    }
    // Wherever it starts, the timer lands in the first millisecond after the tick of
    // the next second.
    for (nanoseconds now = -3s + 3ns; now < 3s; now += 7'919'111ns) {
        const nanoseconds fire = now + delayUntilNextTick(at(now));
        EXPECT_EQ(floor<seconds>(fire), floor<seconds>(now) + 1s) << now.count();
        EXPECT_EQ(floor<milliseconds>(fire - floor<seconds>(fire)), tickDelayAfterSecond)
            << now.count();
    }
}

TEST(SecondTimerTest, FiresEachSecondAfterItsTurnAndLogsWhenAsked)
{
    EXPECT_EQ(tickLogLine(at(someSecond + 12ms + 999us), QStringLiteral("20")),
              "2023-11-14T22:13:20.012Z 20\n");
    EXPECT_EQ(tickLogLine(at(-1ns)), "1969-12-31T23:59:59.999Z\n");

    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("ticks.log"));
    qputenv("TOCKWISE_TICK_LOG", QFile::encodeName(log));
    SecondTimer timer;
    qunsetenv("TOCKWISE_TICK_LOG");
    std::vector<system_clock::time_point> fires;
    QObject::connect(&timer, &SecondTimer::fired, &timer, [&] {
        fires.push_back(timer.lastFire());
        timer.annotateFire(QStringLiteral("#%1").arg(fires.size()));
        if (fires.size() == 2) {
            timer.stop();
        }
    });
    const system_clock::time_point started = system_clock::now();
    timer.start();
    const QDeadlineTimer deadline(10'000);
    while (timer.isActive() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    ASSERT_EQ(fires.size(), 2u) << "a receiver stops it";
    // Never ahead of its tick (lateness is the machine's doing), so never twice in a
    // second.
    EXPECT_GE(fires[0], started + delayUntilNextTick(started));
    EXPECT_GE(fires[1], fires[0] + delayUntilNextTick(fires[0]));

    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), tickLogLine(fires[0], QStringLiteral("#1")) +
                                  tickLogLine(fires[1], QStringLiteral("#2")));
}
