// Launching, the clock list and quitting, on the offscreen platform.

#include "app/TKWController.h"

#include "platform/Color.h"
#include "platform/PropertyListFile.h"
#include "platform/UserDefaults.h"
#include "settings/SettingsKeys.h"
#include "window/TKWWindow.h"
#include "window/TKWWindowController.h"

#include <QCoreApplication>
#include <QDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

QString folder()
{
    return TKWWindowController::settingsFolder();
}

void writeClock(const QString &name, const PropertyList::Dictionary &settings = {})
{
    QDir().mkpath(folder());
    ASSERT_TRUE(PropertyListFile::write(QDir(folder()).filePath(name), settings));
}

void launch(TKWController &controller)
{
    controller.awakeFromNib();
    controller.applicationWillFinishLaunching();
    controller.applicationDidFinishLaunching();
}

QStringList settingsFiles()
{
    return QDir(folder()).entryList({QStringLiteral("*.tkw")}, QDir::Files);
}

// Runs the event loop until the application quits; false if it did not within
// a few seconds.
bool quitsSoon()
{
    bool timedOut = false;
    QTimer::singleShot(5000, qApp, [&timedOut] {
        timedOut = true;
        QCoreApplication::exit(1);
    });
    QCoreApplication::exec();
    return !timedOut;
}

} // namespace

TEST(Launch, OpensOneClockPerSettingsFileWithExactlyTheExtensionTkw)
{
    UserDefaults::standard().setBool(Keys::Converted, true);
    for (const char *name : {"A.tkw", "B.tkw", "C.tkw", "notes.txt", "D.TKW"}) {
        writeClock(QString::fromUtf8(name), {{Keys::ClockSize, PropertyList::integer(64)}});
    }
    TKWController controller;
    launch(controller);
    ASSERT_EQ(controller.numberOfClocks(), 3u);
    EXPECT_TRUE(controller.clocks()[0]->settingsFile().endsWith(QStringLiteral("/A.tkw")));
    EXPECT_TRUE(controller.clocks()[2]->settingsFile().endsWith(QStringLiteral("/C.tkw")));
    for (const auto &clock : controller.clocks()) {
        EXPECT_TRUE(clock->window()->isVisible());
    }
}

TEST(Launch, WithNothingSavedOpensOneLocalClockHidingItsZone)
{
    UserDefaults::standard().setBool(Keys::Converted, true);
    TKWController controller;
    launch(controller);
    ASSERT_EQ(controller.numberOfClocks(), 1u);
    const auto &settings = *controller.clocks().front()->clockSettings();
    EXPECT_EQ(settings.value(Keys::TimeZone), nullptr);
    EXPECT_EQ(settings.value(Keys::ShowTimeZone)->boolValue(), false);
    EXPECT_TRUE(QDir(folder()).exists());
    EXPECT_FALSE(controller.timeZoneNames().root().children.empty());
}

TEST(Launch, MigratesTheSingleClockOnceIntoANewFolder)
{
    // The settings folder does not exist yet: it is made before the old clock is
    // written into it.
    ASSERT_FALSE(QDir(folder()).exists());
    UserDefaults &defaults = UserDefaults::standard();
    const PropertyList red = PropertyList::data(Color::red().encode());
    defaults.setInteger(Keys::ClockSize, 200);
    defaults.setObject(Keys::FaceColor, red);
    defaults.setObject(Keys::TimeZone, PropertyList::string(QStringLiteral("Asia/Tokyo")));
    {
        TKWController controller;
        launch(controller);
        ASSERT_EQ(controller.numberOfClocks(), 1u);
        const auto &settings = *controller.clocks().front()->clockSettings();
        EXPECT_EQ(*settings.value(Keys::ClockSize), PropertyList::integer(200));
        EXPECT_EQ(*settings.value(Keys::FaceColor), red);
        EXPECT_EQ(settings.value(Keys::TimeZone), nullptr); // not one of the old keys
        EXPECT_EQ(*settings.value(Keys::Local), PropertyList::boolean(true));
        EXPECT_TRUE(defaults.boolForKey(Keys::Converted));
        // The old keys stay where they were.
        EXPECT_EQ(defaults.integerForKey(Keys::ClockSize), 200);
    }
    ASSERT_EQ(settingsFiles().size(), 1);
    TKWController again;
    launch(again);
    EXPECT_EQ(settingsFiles().size(), 1);
    EXPECT_EQ(again.numberOfClocks(), 1u);
}

TEST(Launch, ALostMarkOfMigrationAddsNoSecondClock)
{
    // Clocks saved, but the defaults that said the migration was done are gone
    // (deleted, or never writable).
    writeClock(QStringLiteral("A.tkw"), {{Keys::ClockSize, PropertyList::integer(64)}});
    UserDefaults::standard().setInteger(Keys::ClockSize, 200);
    TKWController controller;
    launch(controller);
    EXPECT_EQ(controller.numberOfClocks(), 1u);
    EXPECT_EQ(settingsFiles(), QStringList{QStringLiteral("A.tkw")});
}

TEST(Launch, MigrationWithoutOldKeysWritesTheDefaultClock)
{
    TKWController controller;
    controller.applicationWillFinishLaunching();
    const QStringList files = settingsFiles();
    ASSERT_EQ(files.size(), 1);
    const auto written = PropertyListFile::read(QDir(folder()).filePath(files.first()));
    ASSERT_TRUE(written);
    EXPECT_EQ(*written, TKWWindowController::defaultConfig());
}

TEST(ClockList, KeepsOrderAndQuitsAfterTheLastClockIsRemoved)
{
    UserDefaults::standard().setBool(Keys::Converted, true);
    TKWController controller;
    const auto first = TKWWindowController::initWithTimeZoneName(QStringLiteral("UTC"));
    const auto second = TKWWindowController::initWithTimeZoneName(QStringLiteral("UTC"));
    const auto third = TKWWindowController::initWithTimeZoneName(QStringLiteral("UTC"));
    controller.removeClock(second.get());
    ASSERT_EQ(controller.numberOfClocks(), 2u);
    EXPECT_EQ(controller.clocks()[0], first);
    EXPECT_EQ(controller.clocks()[1], third);
    controller.removeClock(second.get()); // not in the list: nothing changes
    EXPECT_EQ(controller.numberOfClocks(), 2u);

    // The quit comes after the event that removed the last clock, not inside it.
    bool handledInFull = false;
    QTimer::singleShot(0, qApp, [&] {
        controller.removeClock(first.get());
        controller.removeClock(third.get());
        handledInFull = true;
    });
    EXPECT_TRUE(quitsSoon());
    EXPECT_TRUE(handledInFull);
}

TEST(Quit, EveryShownClockIsSaved)
{
    UserDefaults::standard().setBool(Keys::Converted, true);
    TKWController controller;
    launch(controller);
    controller.clocks().front()->clockSettings()->setValue(Keys::PipStyle,
                                                           PropertyList::integer(3));
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    const QStringList files = settingsFiles();
    ASSERT_EQ(files.size(), 1);
    const auto written = PropertyListFile::read(QDir(folder()).filePath(files.first()));
    ASSERT_TRUE(written);
    EXPECT_EQ(written->value(Keys::PipStyle), PropertyList::integer(3));
}

TEST(Commands, ListNamesEveryClockAndItsZone)
{
    UserDefaults::standard().setBool(Keys::Converted, true);
    TKWController controller;
    const auto tokyo = TKWWindowController::initWithTimeZoneName(QStringLiteral("Asia/Tokyo"));
    const auto local = TKWWindowController::initWithTimeZoneName(std::nullopt);
    const InstanceReply reply =
        controller.handleCommand({QStringLiteral("tockwise"), QStringLiteral("--list")});
    EXPECT_EQ(reply.exitCode, 0);
    EXPECT_EQ(reply.output, tokyo->settingsFile() + QStringLiteral("\tAsia/Tokyo\n") +
                                local->settingsFile() + QStringLiteral("\tlocal\n"));
}
