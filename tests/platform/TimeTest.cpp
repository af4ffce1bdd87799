// Time as Linux users know it, the system's zone followed live, and the tick timing.

#include "Support.h"
#include "time/SecondTimer.h"
#include "time/TimeZone.h"
#include "time/ZoneSearch.h"

using namespace tockwise;

using namespace std::chrono;

TEST(TimeZone, TheNamesOfferedAreTheLocationZonesAndOnlyTheyResolve)
{
    const QStringList names = TimeZone::knownTimeZoneNames();
    for (const char *name :
         {"America/Argentina/Buenos_Aires", "Asia/Kolkata", "Europe/Oslo", "UTC"}) {
        EXPECT_TRUE(names.contains(name) && TimeZone::named(name)) << name;
    }
    for (const char *name : {"Asia/Calcutta", "US/Eastern", "Etc/Unknown"}) {
        EXPECT_FALSE(names.contains(name)) << name;
    }
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), names.size());
    EXPECT_GT(names.size(), 300);
    for (const QString &name : QStringList{"", "Europe", "Mars/Base", "america/new_york", "Asia/",
                                           QString(10'000, u'x')}) {
        EXPECT_FALSE(TimeZone::named(name)) << name.left(20).toStdString();
    }
}

TEST(TimeZone, TimeOfDayFollowsTheOffset)
{
    const Instant july = utc(7, 1, 14, 10, 30);
    // The zone, the instant, the time of day and seconds east of Greenwich there.
    const std::tuple<const char *, Instant, TimeOfDay, int> rows[] = {
        {"UTC", july, {14, 10, 30}, 0},
        {"Pacific/Kiritimati", july, {4, 10, 30}, 14 * 3600},
        {"America/Mexico_City", july, {8, 10, 30}, -6 * 3600}, // the database's, not ICU's
        // Before the epoch, and just before a midnight, the day wraps the right way.
        {"UTC", utc(12, 31, 23, 59, 59, 1969), {23, 59, 59}, 0},
        {"UTC", utc(1, 1, 0, 0, 0) - milliseconds(1), {23, 59, 59}, 0},
    };
    for (const auto &[name, instant, local, offset] : rows) {
        const TimeZone zone = TimeZone::named(name).value(); // throws, failing, when unknown
        EXPECT_EQ(zone.timeOfDay(instant), local) << name;
        EXPECT_EQ(zone.secondsFromGMT(instant), offset) << name;
    }
}

TEST(TimeZone, TheSystemZoneIsFollowedWithoutARestart)
{
    const std::pair<const char *, const char *> variables[] = {
        {":Europe/Paris", "Europe/Paris"},
        {"/usr/share/zoneinfo/Asia/Tokyo", "Asia/Tokyo"},
        {"", "UTC"}};
    for (const auto &[tz, name] : variables) {
        setenv("TZ", tz, 1);
        EXPECT_EQ(TimeZone::system().name(), name) << tz;
    }
    unsetenv("TZ");
    Scratch dir;
    const QString link = dir.filePath("localtime"), timezone = dir.filePath("timezone");
    const auto follows = [](const char *name) {
        return waitFor([&] { return TimeZone::system().name() == name; });
    };
    ASSERT_TRUE(QFile::link("/usr/share/zoneinfo/Asia/Tokyo", link));
    TimeZone::setHostZoneFiles(link, timezone);
    EXPECT_TRUE(follows("Asia/Tokyo"));
    // Without the link, /etc/timezone names the zone.
    ASSERT_TRUE(QFile::remove(link) && writeFile(timezone, "Europe/Oslo\n"));
    EXPECT_TRUE(follows("Europe/Oslo"));
    TimeZone::setHostZoneFiles("/etc/localtime", "/etc/timezone");
}

// Typed words find zones whatever their case and accents, by identifier, city or
// country in English and in the user's language, best first; a search decides
// alone only for a whole name that one zone has.
TEST(ZoneSearch, FindsZonesBestFirstInEitherLanguageAndDecidesOnlyWithoutDoubt)
{
    const ZoneSearch english(TimeZone::knownTimeZoneNames(), "en-US");
    const ZoneSearch german(TimeZone::knownTimeZoneNames(), "de-DE");
    const QList<std::tuple<const ZoneSearch *, const char *, QStringList>> finds = {
        {&english,
         "tok",
         {"Asia/Tokyo", "Pacific/Fakaofo", "Asia/Vladivostok", "Antarctica/Vostok"}},
        {&english, " BUENOS_aires", {"America/Argentina/Buenos_Aires"}},
        {&english, "ZÜRICH", {"Europe/Zurich"}},
        {&german, "zurich", {"Europe/Zurich"}},
        {&german, "Tokio", {"Asia/Tokyo"}},
        {&german, "wien", {"Europe/Vienna"}},
        {&german, "Deutschland", {"Europe/Berlin", "Europe/Busingen"}},
        {&german, "germany", {"Europe/Berlin", "Europe/Busingen"}},
        {&english, "xyzzy", {}},
        {&english, " _-. ", {}},
    };
    for (const auto &[search, typed, zones] : finds) {
        QStringList found;
        for (const ZoneSearch::Match &match : search->find(typed)) {
            found << match.zone;
        }
        EXPECT_EQ(found, zones) << typed;
    }
    // A whole country beats the start of a city's word; a name beats a country.
    const std::vector<ZoneSearch::Match> india = english.find("india");
    ASSERT_GT(india.size(), 2u);
    EXPECT_EQ(india[0].zone, "Asia/Kolkata");
    EXPECT_TRUE(india[0].byCountry && india[0].strength == ZoneSearch::Strength::Whole);
    EXPECT_TRUE(!india[1].byCountry && india[1].strength == ZoneSearch::Strength::WordStart);
    EXPECT_EQ(english.find("rica").front().zone, "America/Costa_Rica"); // not "Africa/…"
    const QList<std::pair<const char *, std::optional<QString>>> decisions = {
        {"new york", "America/New_York"}, {"ASIA/TOKYO", "Asia/Tokyo"}, {"India", "Asia/Kolkata"},
        {"germany", std::nullopt},        {"tok", std::nullopt},        {"york", std::nullopt},
    };
    for (const auto &[words, zone] : decisions) {
        EXPECT_EQ(english.uniqueZone(words), zone) << words;
    }
    EXPECT_EQ(german.uniqueZone("Tokio"), "Asia/Tokyo");
    EXPECT_EQ(german.place("Europe/Vienna"), "Wien, Österreich");
    EXPECT_EQ(english.place("UTC"), "UTC");
    EXPECT_TRUE(ZoneSearch({"Europe/Paris"}, "en").find("tokyo").empty());
}

TEST(SecondTimer, WakesJustAfterTheTurnOfTheSecondAskedNeverBefore)
{
    // A pinned clock far from the system's: the wake-up comes when the pinned
    // clock would reach the second, measured on the system clock.
    const Instant pinned = utc(12, 6, 10, 10, 30) + 500ms;
    PinnedTime now(pinned);
    SecondTimer timer;
    // Whoever sets the system clock meanwhile (another test does) wakes every such
    // timer early, as it should; the timer is then asked again.
    for (int asked = 1;; ++asked) {
        const auto start = steady_clock::now();
        timer.wakeAt(ceil<seconds>(pinned));
        ASSERT_TRUE(waitFor([&] { return timer.wakeCount() == asked; }));
        if (timer.lastCause() != SecondTimer::Cause::ClockSet) {
            EXPECT_GE(steady_clock::now() - start, 500ms);
            EXPECT_EQ(timer.lastCause(), SecondTimer::Cause::Due);
            break;
        }
    }
    EXPECT_FALSE(timer.isActive());
}
