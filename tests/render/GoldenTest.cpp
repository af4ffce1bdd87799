// Clocks drawn as `tockwise --render` draws them, against committed pictures. A
// picture that differs is written beside the build for a look; to accept a change
// on purpose, run with TOCKWISE_UPDATE_GOLDEN=1 and review the new pictures.

#include "Support.h"
#include "app/RenderCommand.h"
#include "app/TKWController.h"
#include "settings/SettingArgument.h"
#include "window/TKWWindowController.h"

#include <QDateTime>

using namespace tockwise;

namespace {

struct Golden
{
    const char *name;
    const char *settings; // as --set takes them, separated by ";", over the stock clock in UTC
    const char *time = "2026-12-06T10:10:30Z";
    double scale = 1;
};

// What each picture would catch going wrong is in its name. The machine's zone is
// Asia/Kolkata while they are drawn.
const Golden goldens[] = {
    {"default", ""},
    {"noon-is-pm", "", "2026-12-06T12:00:00Z"},
    {"roman-24-hour-evening", "TKWTwentyFour=true;TKWPipStyle=2", "2026-12-06T18:00:20Z"},
    {"arabic-24-hour-last-second",
     "TKWTwentyFour=true;TKWPipStyle=3;TKWMinutePips=true;TKWShowDate=false;TKWShowMeridian=false",
     "2026-12-06T23:59:59Z"},
    {"arabic-minute-marks-weekday",
     "TKWPipStyle=3;TKWMinutePips=true;TKWShowWeekday=true;TKWFaceColor=#f4efe1;"
     "TKWPipColor=#2050a0;TKWOtherDataColor=#a02050;TKWOpacity=1",
     "2026-03-08T06:59:59Z"},
    {"unknown-pip-style-with-minute-marks", "TKWMinutePips=true"},
    {"plain-without-seconds-border-or-texts",
     "TKWShowSeconds=false;TKWDrawBorder=0;TKWPipStyle=0;TKWMinutePips=true;TKWShowDate=false;"
     "TKWShowMeridian=false;TKWShowTimeZone=false",
     "2026-12-06T23:59:59Z"},
    {"faded-hands-dark-face", "TKWFadeHands=true;TKWOpacity=0.4;TKWFaceColor=#202020;"
                              "TKWHandColor=#ffffff;TKWSecondHandColor=#ff3030"},
    {"damaged-colours-black-absent-ones-the-hands",
     "TKWHandColor=#2050a0;TKWShowWeekday=true;TKWAlternateTimeZone=Asia/Tokyo"},
    {"day-only-and-alternate-zone", "TKWShowDayOnly=true;TKWAlternateTimeZone=Asia/Tokyo;"
                                    "TKWAlternateZoneColor=#0080ff;TKWTimeZone=America/New_York"},
    // 03:00:00 EDT, the first second of daylight saving time.
    {"new-york-first-second-of-daylight-saving", "TKWTimeZone=America/New_York;TKWShowWeekday=true",
     "2026-03-08T07:00:00Z"},
    {"unknown-zone-is-the-machines", "TKWShowWeekday=true"},
    {"digital-every-line", "TKWDigitalClock=true;TKWShowWeekday=true;TKWTimeZone=Europe/Paris",
     "2026-09-30T21:05:09Z"},
    // A short time line leaves the weekday too wide at its share: only it shrinks.
    {"digital-weekday-shrinks-alone",
     "TKWDigitalClock=true;TKWShowWeekday=true;TKWShowSeconds=false;TKWShowMeridian=false;"
     "TKWShowDate=false;TKWTimeZone=America/New_York",
     "2026-09-30T21:05:09Z"},
    {"digital-24-hour-day-only",
     "TKWDigitalClock=true;TKWTwentyFour=true;TKWShowDayOnly=true;TKWShowSeconds=false;"
     "TKWShowTimeZone=false;TKWClockSize=200",
     "2026-12-06T18:00:20Z"},
    {"smallest-size", "TKWClockSize=16;TKWPipStyle=3"},
    {"size-below-the-smallest", "TKWPipStyle=3"},
    {"size-beyond-the-largest", "TKWOpacity=0;TKWPipStyle=0;TKWShowDate=false"},
    {"picture-face",
     "TKWUseFaceImage=true;TKWCenterFactor={0.3, 0.6};TKWRadiusFactor=0.2;TKWOpacity=1"},
    {"picture-face-uncalibrated", "TKWUseFaceImage=true;TKWRadiusFactor=0", "2026-12-06T10:10:30Z",
     1.5},
    {"picture-face-stock-dial", "TKWUseFaceImage=true"},
    // Faded, a colour stored at alpha 0.2 takes the opacity itself, and so does the
    // alternate zone's disc.
    {"faded-hand-stored-at-alpha-0.2-alternate-disc",
     "TKWFadeHands=true;TKWOpacity=0.8;TKWHandColor=#2050a033;TKWFaceColor=#ffffff;"
     "TKWAlternateTimeZone=Asia/Tokyo;TKWAlternateZoneColor=#00a000"},
    // The border's colour either side of its threshold: red (luma 0.3) black,
    // (0.2, 0.3, 0.4) (luma 0.28) and blue white.
    {"border-black-on-red", "TKWFaceColor=#ff0000;TKWOpacity=1"},
    {"border-white-on-slate", "TKWFaceColor=#334d66;TKWOpacity=1"},
    {"border-white-on-blue", "TKWFaceColor=#0000ff;TKWOpacity=1"},
    {"weekday-without-date", "TKWShowWeekday=true;TKWShowDate=false"},
};

// Values a file may hold but --set refuses, over a row's settings; none removes one.
const QHash<QString, PropertyList::Dictionary> raw = {
    {"unknown-pip-style-with-minute-marks", {{"TKWPipStyle", PropertyList::integer(7)}}},
    {"damaged-colours-black-absent-ones-the-hands",
     {{"TKWPipColor", PropertyList::data("garbage")},
      {"TKWSecondHandColor", PropertyList::integer(5)},
      {"TKWOtherDataColor", PropertyList()},
      {"TKWAlternateZoneColor", PropertyList()}}},
    {"unknown-zone-is-the-machines", {{"TKWTimeZone", PropertyList::string("Mars/Base")}}},
    {"size-below-the-smallest", {{"TKWClockSize", PropertyList::integer(-40)}}},
    {"size-beyond-the-largest", {{"TKWClockSize", PropertyList::integer(1000000000)}}},
};

PropertyList::Dictionary settingsFor(const Golden &golden, const QString &picture)
{
    PropertyList::Dictionary settings = TKWWindowController::defaultConfig();
    QStringList assignments = {"TKWTimeZone=UTC"};
    assignments += QString(golden.settings).split(';', Qt::SkipEmptyParts);
    if (assignments.contains("TKWUseFaceImage=true")) {
        assignments += "TKWFaceImage=" + picture;
    }
    for (const QString &assignment : assignments) {
        QString error;
        const auto setting = SettingArgument::parse(assignment, &error);
        EXPECT_TRUE(setting) << error.toStdString();
        if (setting) {
            settings.insert(setting->key, setting->value);
        }
    }
    settings.insert(raw.value(golden.name));
    settings.removeIf([](const auto &entry) { return entry.value().isNone(); });
    return settings;
}

} // namespace

TEST(Golden, EveryClockLooksAsCommitted)
{
    setenv("TZ", "Asia/Kolkata", 1);
    TKWController::initialize();
    Scratch scratch;
    const QString picture = writePicture(scratch.filePath("face.png"), {300, 200}, {40, 90, 160});
    for (const Golden &golden : goldens) {
        SCOPED_TRACE(golden.name);
        const auto when = QDateTime::fromString(golden.time, Qt::ISODate);
        const QImage drawn = RenderCommand::draw(
            settingsFor(golden, picture),
            Instant(std::chrono::milliseconds(when.toMSecsSinceEpoch())), golden.scale);
        const QString committed = QStringLiteral(GOLDEN_FOLDER "/%1.png").arg(golden.name);
        if (qEnvironmentVariableIsSet("TOCKWISE_UPDATE_GOLDEN")) {
            EXPECT_TRUE(drawn.save(committed));
            continue;
        }
        const QString verdict = comparePictures(drawn, QImage(committed));
        if (!verdict.isEmpty()) {
            const QString kept =
                QDir::current().filePath(QStringLiteral("%1.png").arg(golden.name));
            drawn.save(kept);
            ADD_FAILURE() << verdict.toStdString() << "; drawn: " << kept.toStdString();
        }
    }
}
