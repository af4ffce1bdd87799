#include "clockview/HandAngles.h"
#include "clockview/TKWView.h"
#include "settings/SettingsKeys.h"
#include "window/TKWWindowController.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace std::chrono;

namespace {

Instant utc(int year, int month, int day, int hour, int minute, int second, int ms = 0)
{
    return sys_days(std::chrono::year(year) / month / day) + hours(hour) + minutes(minute) +
           seconds(second) + milliseconds(ms);
}

// A clock of the default settings in the given zone.
std::shared_ptr<ObservableDictionary> clockIn(const QString &zone)
{
    PropertyList::Dictionary config = TKWWindowController::defaultConfig();
    config.insert(Keys::TimeZone, PropertyList::string(zone));
    return std::make_shared<ObservableDictionary>(config);
}

class TKWViewTime : public ::testing::Test
{
protected:
    PinnedTime now{utc(2026, 12, 6, 10, 10, 30)};
    TKWView view;
};

} // namespace

TEST_F(TKWViewTime, TenPastTenGivesTheWorkedAngles)
{
    view.setConfigData(clockIn(QStringLiteral("UTC")));
    EXPECT_EQ(view.angleH(), -215.25f);
    EXPECT_EQ(view.angleM(), 27.0f);
    EXPECT_EQ(view.angleS(), -90.0f);
    EXPECT_EQ(view.secondOfDay(), 10 * 3600 + 10 * 60 + 30);
    EXPECT_EQ(view.meridianString(), QStringLiteral("AM"));
    EXPECT_EQ(view.timeZoneAbbr(), QStringLiteral("UTC"));
    EXPECT_EQ(view.lastDate(), utc(2026, 12, 6, 10, 10, 30));
}

TEST_F(TKWViewTime, TheHandsFollowTheClocksZone)
{
    now.set(utc(2026, 12, 6, 15, 10, 30)); // 10:10:30 in New York
    view.setConfigData(clockIn(QStringLiteral("America/New_York")));
    EXPECT_EQ(view.angleH(), -215.25f);
    EXPECT_EQ(view.timeZoneAbbr(), QStringLiteral("EST"));
}

TEST_F(TKWViewTime, TwentyFourHourDialAtSixPointsLeft)
{
    auto config = clockIn(QStringLiteral("UTC"));
    config->setValue(Keys::TwentyFour, PropertyList::boolean(true));
    now.set(utc(2026, 12, 6, 18, 0, 0));
    view.setConfigData(config);
    EXPECT_EQ(view.angleH(), -180.0f);
    EXPECT_EQ(view.meridianString(), QStringLiteral("PM"));

    now.set(utc(2026, 12, 6, 23, 59, 59));
    view.timerFired();
    EXPECT_EQ(view.angleH(), static_cast<float>(90.0 - 15.0 * (23 + 3599.0 / 3600.0)));
}

TEST_F(TKWViewTime, MidnightAndNoon)
{
    now.set(utc(2026, 12, 6, 0, 0, 0));
    view.setConfigData(clockIn(QStringLiteral("UTC")));
    EXPECT_EQ(view.angleH(), 90.0f);
    EXPECT_EQ(view.angleM(), 90.0f);
    EXPECT_EQ(view.angleS(), 90.0f);
    EXPECT_EQ(view.meridianString(), QStringLiteral("AM"));

    now.set(utc(2026, 12, 6, 11, 59, 59));
    view.timerFired();
    EXPECT_EQ(view.meridianString(), QStringLiteral("AM"));
    now.set(utc(2026, 12, 6, 12, 0, 0));
    view.timerFired();
    EXPECT_EQ(view.angleH(), 90.0f);
    EXPECT_EQ(view.meridianString(), QStringLiteral("PM"));
}

TEST_F(TKWViewTime, TwoSamplesInOneSecondLeaveTheAnglesAlone)
{
    auto config = clockIn(QStringLiteral("UTC"));
    now.set(utc(2026, 12, 6, 10, 10, 30, 100));
    view.setConfigData(config);
    const float hour = view.angleH();

    // The dial setting is read only when the second changes.
    config->setValue(Keys::TwentyFour, PropertyList::boolean(true));
    now.set(utc(2026, 12, 6, 10, 10, 30, 900));
    view.timerFired();
    EXPECT_EQ(view.angleH(), hour);
    EXPECT_EQ(view.lastDate(), utc(2026, 12, 6, 10, 10, 30, 900));

    now.set(utc(2026, 12, 6, 10, 10, 31));
    view.timerFired();
    EXPECT_EQ(view.angleH(), HandAngles::hour({10, 10, 31}, true));
}

TEST_F(TKWViewTime, ALateTickMovesTheSecondHandTwoSteps)
{
    view.setConfigData(clockIn(QStringLiteral("UTC")));
    const float before = view.angleS();
    now.set(utc(2026, 12, 6, 10, 10, 32));
    view.timerFired();
    EXPECT_EQ(view.angleS(), before - 12.0f);
}

TEST_F(TKWViewTime, TheAbbreviationFollowsADaylightSavingChange)
{
    now.set(utc(2026, 3, 8, 6, 59, 59)); // 01:59:59 EST
    view.setConfigData(clockIn(QStringLiteral("America/New_York")));
    EXPECT_EQ(view.timeZoneAbbr(), QStringLiteral("EST"));
    EXPECT_EQ(view.angleH(), HandAngles::hour({1, 59, 59}, false));

    now.set(utc(2026, 3, 8, 7, 0, 0)); // 03:00:00 EDT
    view.timerFired();
    EXPECT_EQ(view.timeZoneAbbr(), QStringLiteral("EDT"));
    EXPECT_EQ(view.angleH(), HandAngles::hour({3, 0, 0}, false));
}

TEST_F(TKWViewTime, TheAlternateHandKeepsItsAngleWhenItsZoneGoes)
{
    auto config = clockIn(QStringLiteral("UTC"));
    config->setValue(Keys::AlternateTimeZone, PropertyList::string(QStringLiteral("Asia/Tokyo")));
    view.setConfigData(config); // 19:10:30 in Tokyo
    EXPECT_EQ(view.angleA(), HandAngles::hour({19, 10, 30}, false));
    ASSERT_TRUE(view.alternateTimeZone());

    // The alternate hand is computed on every sample, even within one second.
    config->setValue(Keys::TwentyFour, PropertyList::boolean(true));
    view.timerFired();
    EXPECT_EQ(view.angleA(), HandAngles::hour({19, 10, 30}, true));

    const float kept = view.angleA();
    config->removeValue(Keys::AlternateTimeZone);
    now.set(utc(2026, 12, 6, 11, 0, 0));
    view.timerFired();
    EXPECT_FALSE(view.alternateTimeZone());
    EXPECT_EQ(view.angleA(), kept);

    for (const char *bad : {"", "Mars/Base", "Asia"}) {
        config->setValue(Keys::AlternateTimeZone, PropertyList::string(QString::fromUtf8(bad)));
        EXPECT_FALSE(view.alternateTimeZone()) << bad;
        view.timerFired();
        EXPECT_EQ(view.angleA(), kept) << bad;
    }
}

TEST_F(TKWViewTime, AZoneThatNamesNothingIsTheSystemZone)
{
    setenv("TZ", "Asia/Kolkata", 1);
    auto config = clockIn(QStringLiteral("UTC"));
    view.setConfigData(config);
    for (const PropertyList &bad :
         {PropertyList::string(QString()), PropertyList::string(QStringLiteral("Mars/Base")),
          PropertyList::string(QStringLiteral("Europe")), PropertyList::integer(7)}) {
        config->setValue(Keys::TimeZone, bad);
        EXPECT_EQ(view.clockTimeZone().name(), QStringLiteral("Asia/Kolkata"));
        view.timerFired();
        EXPECT_EQ(view.secondOfDay(), 15 * 3600 + 40 * 60 + 30); // 15:40:30 in Kolkata
        EXPECT_EQ(view.timeZoneAbbr(), QStringLiteral("GMT+5:30"));
    }
    config->removeValue(Keys::TimeZone);
    EXPECT_EQ(view.clockTimeZone().name(), QStringLiteral("Asia/Kolkata"));

    // A change of the machine's zone reaches the next sample.
    setenv("TZ", "America/New_York", 1);
    view.timerFired();
    EXPECT_EQ(view.secondOfDay(), 5 * 3600 + 10 * 60 + 30);
    unsetenv("TZ");
}

TEST_F(TKWViewTime, AViewWithoutSettingsSamplesTheSystemZoneOnTwelveHours)
{
    setenv("TZ", "UTC", 1);
    now.set(utc(2026, 12, 6, 18, 0, 0));
    view.cacheDrawingParameters();
    EXPECT_EQ(view.angleH(), -90.0f); // on 24 hours it would be -180
    EXPECT_EQ(view.angleA(), 0.0f);   // no alternate zone: never computed
    EXPECT_EQ(view.meridianString(), QStringLiteral("PM"));
    unsetenv("TZ");
}
