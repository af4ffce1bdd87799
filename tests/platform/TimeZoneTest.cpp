#include "platform/TimeZone.h"

#include "platform/DateFormatter.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

using namespace std::chrono;

namespace {

Instant utc(int year, int month, int day, int hour, int minute, int second)
{
    return sys_days(std::chrono::year(year) / month / day) + hours(hour) + minutes(minute) +
           seconds(second);
}

TimeZone zone(const char *name)
{
    const auto found = TimeZone::named(QString::fromUtf8(name));
    EXPECT_TRUE(found.has_value()) << name;
    return found.value_or(TimeZone::system());
}

} // namespace

TEST(TimeZoneLookup, NamesThatNameNoZoneGiveNone)
{
    for (const char *name : {"", "Europe", "Mars/Base", "america/new_york", "Asia/"}) {
        EXPECT_FALSE(TimeZone::named(QString::fromUtf8(name))) << name;
    }
    EXPECT_FALSE(TimeZone::named(QString(10 * 1024, u'x')));
    for (const char *name : {"UTC", "GMT", "Asia/Kolkata", "America/Argentina/Buenos_Aires"}) {
        EXPECT_EQ(zone(name).name(), QString::fromUtf8(name));
    }
}

TEST(TimeZoneLookup, TimeOfDayFollowsTheZonesOffset)
{
    const Instant instant = utc(2026, 7, 1, 14, 10, 30);
    EXPECT_EQ(zone("UTC").timeOfDay(instant), (TimeOfDay{14, 10, 30}));
    EXPECT_EQ(zone("America/New_York").timeOfDay(instant), (TimeOfDay{10, 10, 30}));
    EXPECT_EQ(zone("Asia/Kolkata").timeOfDay(instant), (TimeOfDay{19, 40, 30}));
    EXPECT_EQ(zone("Pacific/Kiritimati").timeOfDay(instant), (TimeOfDay{4, 10, 30}));
    EXPECT_EQ(zone("America/New_York").secondsFromGMT(instant), -4 * 3600);
    // Before the epoch the day still wraps the right way.
    EXPECT_EQ(zone("UTC").timeOfDay(utc(1969, 12, 31, 23, 59, 59)), (TimeOfDay{23, 59, 59}));
    EXPECT_EQ(zone("UTC").timeOfDay(utc(2026, 1, 1, 0, 0, 0) - milliseconds(1)),
              (TimeOfDay{23, 59, 59}));
}

TEST(TimeZoneLookup, AbbreviationsChangeWithDaylightSaving)
{
    const TimeZone newYork = zone("America/New_York");
    // 2026-03-08 07:00 UTC: 02:00 EST becomes 03:00 EDT.
    EXPECT_EQ(newYork.abbreviation(utc(2026, 3, 8, 6, 59, 59)), QStringLiteral("EST"));
    EXPECT_EQ(newYork.abbreviation(utc(2026, 3, 8, 7, 0, 0)), QStringLiteral("EDT"));
    EXPECT_EQ(newYork.timeOfDay(utc(2026, 3, 8, 7, 0, 0)), (TimeOfDay{3, 0, 0}));
    EXPECT_EQ(newYork.abbreviation(utc(2026, 12, 6, 12, 0, 0)), QStringLiteral("EST"));
    EXPECT_EQ(zone("UTC").abbreviation(utc(2026, 12, 6, 12, 0, 0)), QStringLiteral("UTC"));
    EXPECT_EQ(zone("Asia/Kolkata").abbreviation(utc(2026, 12, 6, 12, 0, 0)),
              QStringLiteral("GMT+5:30"));
}

TEST(TimeZoneSystem, FollowsTZWithoutARestart)
{
    setenv("TZ", "Asia/Tokyo", 1);
    EXPECT_EQ(TimeZone::system().name(), QStringLiteral("Asia/Tokyo"));
    setenv("TZ", ":Europe/Paris", 1);
    EXPECT_EQ(TimeZone::system().name(), QStringLiteral("Europe/Paris"));
    setenv("TZ", "/usr/share/zoneinfo/America/Chicago", 1);
    EXPECT_EQ(TimeZone::system().name(), QStringLiteral("America/Chicago"));
    setenv("TZ", "", 1);
    EXPECT_EQ(TimeZone::system().name(), QStringLiteral("UTC"));
    unsetenv("TZ");
}

// The host's files are looked at again at most twice a second.
static bool settlesOn(const QString &zone)
{
    QDeadlineTimer deadline(20s);
    while (TimeZone::system().name() != zone && !deadline.hasExpired()) {
        std::this_thread::sleep_for(20ms);
    }
    return TimeZone::system().name() == zone;
}

TEST(TimeZoneSystem, FollowsTheLocaltimeLinkWithoutARestart)
{
    unsetenv("TZ");
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("localtime"));
    const QString missing = dir.filePath(QStringLiteral("timezone"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/usr/share/zoneinfo/Asia/Tokyo"), link));
    TimeZone::setHostZoneFiles(link, missing);
    EXPECT_EQ(TimeZone::system().name(), QStringLiteral("Asia/Tokyo"));

    // What timedatectl does: the link is replaced by one to another zone.
    ASSERT_TRUE(QFile::remove(link));
    ASSERT_TRUE(QFile::link(QStringLiteral("/usr/share/zoneinfo/America/Sao_Paulo"), link));
    EXPECT_TRUE(settlesOn(QStringLiteral("America/Sao_Paulo")));

    // Without the link, /etc/timezone names the zone.
    ASSERT_TRUE(QFile::remove(link));
    QFile timezone(missing);
    ASSERT_TRUE(timezone.open(QIODevice::WriteOnly));
    timezone.write("Europe/Oslo\n");
    timezone.close();
    EXPECT_TRUE(settlesOn(QStringLiteral("Europe/Oslo")));
    TimeZone::setHostZoneFiles(QStringLiteral("/etc/localtime"), QStringLiteral("/etc/timezone"));
}

TEST(TimeZoneKnownNames, AreTheLocationZonesAsLinuxUsersKnowThem)
{
    const QStringList names = TimeZone::knownTimeZoneNames();
    for (const char *name : {"America/Argentina/Buenos_Aires", "Asia/Kolkata", "Europe/Oslo",
                             "Europe/Berlin", "Australia/Sydney", "GMT", "UTC"}) {
        EXPECT_TRUE(names.contains(QString::fromUtf8(name))) << name;
    }
    for (const char *name : {"Asia/Calcutta", "US/Eastern", "Etc/Unknown", "Europe"}) {
        EXPECT_FALSE(names.contains(QString::fromUtf8(name))) << name;
    }
    QStringList sorted = names;
    sorted.sort();
    sorted.removeDuplicates();
    EXPECT_EQ(names, sorted);
    EXPECT_GT(names.size(), 300);
    for (const QString &name : names) {
        EXPECT_TRUE(TimeZone::named(name)) << name.toStdString();
    }
}

TEST(DateFormatting, PatternsAndStylesInTheZone)
{
    const Instant instant = utc(2026, 12, 6, 18, 5, 9); // a Sunday
    EXPECT_EQ(DateFormatter(QStringLiteral("h:mm:ss a"), zone("UTC")).format(instant),
              QStringLiteral("6:05:09 PM"));
    EXPECT_EQ(DateFormatter(QStringLiteral("a"), zone("Asia/Tokyo")).format(instant),
              QStringLiteral("AM")); // 03:05 the next morning there
    EXPECT_EQ(DateFormatter(QStringLiteral("EEE d"), zone("Asia/Tokyo")).format(instant),
              QStringLiteral("Mon 7"));
    EXPECT_EQ(DateFormatter(QStringLiteral("z"), zone("America/New_York")).format(instant),
              QStringLiteral("EST"));
    const QString medium =
        DateFormatter(DateFormatter::Style::Medium, DateFormatter::Style::None, zone("UTC"))
            .format(instant);
    EXPECT_TRUE(medium.contains(QStringLiteral("2026"))) << medium.toStdString();
    EXPECT_TRUE(medium.contains(QStringLiteral("Dec"))) << medium.toStdString();
}
