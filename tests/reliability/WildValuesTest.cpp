// Valid settings files holding values of the wrong kind or far out of range, as a
// hand-edited or foreign file may: each clock opens at a sane size and draws a
// clock, and what the file stores is kept unless the user changes it.

#include "Support.h"
#include "app/TKWController.h"
#include "clockview/TKWView.h"
#include "platform/ClockTick.h"
#include "platform/PropertyListFile.h"
#include "platform/UserDefaults.h"
#include "settings/SettingsKeys.h"
#include "window/TKWWindow.h"
#include "window/TKWWindowController.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QSet>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>

using namespace Reliability;

namespace {

struct WildCase
{
    const char *name;
    PropertyList::Dictionary values;
    // The side the window must have, when the case decides it; else 16 to 2048.
    int side = 0;
};

PropertyList text(const QString &value)
{
    return PropertyList::string(value);
}

std::vector<WildCase> wildCases()
{
    const QString longText(10 * 1024, u'x');
    return {
        {"size-abc", {{Keys::ClockSize, text(QStringLiteral("abc"))}}, 16},
        {"size-minus-40", {{Keys::ClockSize, PropertyList::integer(-40)}}, 16},
        {"size-0", {{Keys::ClockSize, PropertyList::integer(0)}}, 16},
        {"size-1e9", {{Keys::ClockSize, PropertyList::integer(1'000'000'000)}}, 2048},
        {"size-real", {{Keys::ClockSize, PropertyList::real(1e300)}}, 0},
        {"pip-style-99", {{Keys::PipStyle, PropertyList::integer(99)}}, 128},
        {"opacity-7", {{Keys::Opacity, PropertyList::real(7)}}, 128},
        {"opacity-minus-1", {{Keys::Opacity, PropertyList::real(-1)}}, 128},
        {"zone-empty", {{Keys::TimeZone, text({})}}, 128},
        {"zone-mars", {{Keys::TimeZone, text(QStringLiteral("Mars/Base"))}}, 128},
        {"zone-10k", {{Keys::TimeZone, text(longText)}}, 128},
        {"zone-number", {{Keys::TimeZone, PropertyList::integer(3)}}, 128},
        {"alternate-zone-mars",
         {{Keys::AlternateTimeZone, text(QStringLiteral("Mars/Base"))}},
         128},
        {"centre-garbage",
         {{Keys::CenterFactor, text(QStringLiteral("garbage"))},
          {Keys::RadiusFactor, text(QStringLiteral("wide"))}},
         128},
        {"colours-strings",
         {{Keys::FaceColor, text(QStringLiteral("red"))},
          {Keys::HandColor, text(QStringLiteral("#00ff00"))},
          {Keys::SecondHandColor, PropertyList::integer(7)},
          {Keys::PipColor, text(longText)},
          {Keys::OtherDataColor, PropertyList::data(QByteArray("\x01\x02", 2))}},
         128},
        {"flags-strings",
         {{Keys::ShowSeconds, text(QStringLiteral("yes"))},
          {Keys::ShowDate, PropertyList::real(0.5)},
          {Keys::DrawBorder, text(QStringLiteral("no"))}},
         128},
    };
}

QString caseFile(const char *name)
{
    return QDir(TKWWindowController::settingsFolder())
        .filePath(QString::fromLatin1(name) + QStringLiteral(".tkw"));
}

} // namespace

TEST(WildValues, ClocksOpenAtSaneSizesDrawAndKeepWhatTheFileStores)
{
    UserDefaults::standard().setBool(Keys::Converted, true);
    ASSERT_TRUE(QDir().mkpath(TKWWindowController::settingsFolder()));
    const std::vector<WildCase> cases = wildCases();
    QHash<QString, PropertyList::Dictionary> stored;
    QHash<QString, FileState> before;
    for (const WildCase &wild : cases) {
        PropertyList::Dictionary settings = TKWWindowController::defaultConfig();
        settings.insert(Keys::TimeZone, text(QStringLiteral("UTC")));
        settings.insert(Keys::Local, PropertyList::boolean(false));
        settings.insert(wild.values);
        ASSERT_TRUE(PropertyListFile::write(caseFile(wild.name), settings));
        stored[caseFile(wild.name)] = settings;
        before[caseFile(wild.name)] = fileState(caseFile(wild.name));
    }

    TKWController controller;
    controller.awakeFromNib();
    controller.applicationWillFinishLaunching();
    controller.applicationDidFinishLaunching();
    ASSERT_EQ(controller.numberOfClocks(), cases.size());
    // Two ticks, so that every clock has sampled its time and painted in between.
    int ticks = 0;
    QObject counter;
    QObject::connect(&ClockTick::instance(), &ClockTick::tick, &counter, [&ticks] { ++ticks; });
    ASSERT_TRUE(waitFor([&] { return ticks >= 2; }, 60s));

    QHash<QString, std::shared_ptr<TKWWindowController>> clocks;
    for (const auto &clock : controller.clocks()) {
        clocks[clock->settingsFile()] = clock;
    }
    for (const WildCase &wild : cases) {
        SCOPED_TRACE(wild.name);
        const auto clock = clocks.value(caseFile(wild.name));
        ASSERT_TRUE(clock);
        ASSERT_TRUE(clock->window()->isVisible());
        const QSize size = clock->window()->size();
        if (wild.side > 0) {
            EXPECT_EQ(size, QSize(wild.side, wild.side));
        } else {
            EXPECT_TRUE(size.width() >= 16 && size.width() <= 2048) << size.width();
            EXPECT_TRUE(size.height() >= 16 && size.height() <= 2048) << size.height();
        }
        // A clock is drawn: the window's size, something on it, more than one colour.
        const QImage image = clock->clockView()->renderImage(1);
        ASSERT_EQ(image.size(), size);
        int drawn = 0;
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 2) {
            for (int x = 0; x < image.width(); x += 2) {
                const QRgb pixel = image.pixel(x, y);
                drawn += qAlpha(pixel) > 0;
                colours.insert(pixel);
            }
        }
        const int sampled = ((image.width() + 1) / 2) * ((image.height() + 1) / 2);
        EXPECT_GT(drawn, sampled / 20) << "little or nothing drawn";
        EXPECT_GT(colours.size(), 2) << "one flat colour is no clock";
    }

    // The user changes one setting of one clock; every other value stays as stored.
    const QString changed = caseFile("colours-strings");
    clocks.value(changed)->clockSettings()->setValue(Keys::ShowDate, PropertyList::integer(0));
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();

    for (const WildCase &wild : cases) {
        const QString file = caseFile(wild.name);
        if (file == changed) {
            PropertyList::Dictionary expected = stored.value(file);
            expected.insert(Keys::ShowDate, PropertyList::integer(0));
            EXPECT_EQ(PropertyListFile::read(file), expected) << wild.name;
        } else {
            EXPECT_EQ(fileState(file), before.value(file))
                << wild.name << " was changed by a session that changed nothing";
        }
    }
}
