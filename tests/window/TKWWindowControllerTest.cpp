// A clock and its settings file: creation, loading, the writes after a change and
// at quit, and removal.

#include "window/TKWWindowController.h"

#include "TestClockList.h"
#include "app/TKWController.h"
#include "clockview/TKWView.h"
#include "platform/CompositingWatch.h"
#include "platform/PropertyListFile.h"
#include "platform/StringTable.h"
#include "platform/TimeSource.h"
#include "settings/SettingsKeys.h"
#include "window/ApplicationDelegate.h"
#include "window/FrameAutosave.h"
#include "window/TKWWindow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

using Clocks = TestClockList;

// Runs the event loop until `done` holds or the deadline passes.
bool waitFor(const std::function<bool()> &done, int milliseconds)
{
    QDeadlineTimer deadline(milliseconds);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

// Answers the next alert with the button whose text is `answer`.
void answerNextAlert(const QString &answer)
{
    QTimer::singleShot(0, [answer] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *alert = qobject_cast<QMessageBox *>(widget); alert && alert->isVisible()) {
                for (QAbstractButton *button : alert->buttons()) {
                    if (button->text() == answer) {
                        button->click();
                        return;
                    }
                }
            }
        }
        answerNextAlert(answer); // not shown yet
    });
}

class ClockFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TKWController::initialize();
        QDir().mkpath(TKWWindowController::settingsFolder());
    }
    Clocks clocks;
};

} // namespace

TEST_F(ClockFile, ANamedClockAndALocalClock)
{
    const auto paris = TKWWindowController::initWithTimeZoneName(QStringLiteral("Europe/Paris"));
    const auto &settings = *paris->clockSettings();
    EXPECT_EQ(*settings.value(Keys::TimeZone),
              PropertyList::string(QStringLiteral("Europe/Paris")));
    EXPECT_EQ(*settings.value(Keys::Local), PropertyList::boolean(false));
    EXPECT_EQ(settings.value(Keys::ShowTimeZone)->boolValue(), true);

    const auto local = TKWWindowController::initWithTimeZoneName(std::nullopt);
    EXPECT_EQ(local->clockSettings()->value(Keys::TimeZone), nullptr);
    EXPECT_EQ(*local->clockSettings()->value(Keys::Local), PropertyList::boolean(true));
    EXPECT_EQ(local->clockSettings()->value(Keys::ShowTimeZone)->boolValue(), false);
    EXPECT_EQ(clocks.numberOfClocks(), 2u);

    // Files are named by new upper-case UUIDs in the settings folder, and are
    // there at once.
    const QFileInfo file(paris->settingsFile());
    EXPECT_EQ(file.absolutePath(), QDir(TKWWindowController::settingsFolder()).absolutePath());
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\\.tkw$"))
            .match(file.fileName())
            .hasMatch());
    EXPECT_NE(paris->settingsFile(), local->settingsFile());
    EXPECT_EQ(PropertyListFile::read(paris->settingsFile()), paris->clockSettings()->contents());
}

TEST_F(ClockFile, OlderFilesAreFilledInAndUnknownKeysKept)
{
    const QString path =
        QDir(TKWWindowController::settingsFolder()).filePath(QStringLiteral("OLD.tkw"));
    const PropertyList blue = PropertyList::data(Color::calibratedRGB(0, 0, 1, 1).encode());
    ASSERT_TRUE(PropertyListFile::write(
        path,
        {{Keys::HandColor, blue}, {QStringLiteral("SomeoneElsesKey"), PropertyList::integer(7)}}));
    const auto clock = TKWWindowController::initWithSettingsFile(path);
    ASSERT_TRUE(clock);
    const auto &settings = *clock->clockSettings();
    EXPECT_EQ(*settings.value(Keys::PipColor), blue);
    EXPECT_EQ(*settings.value(Keys::OtherDataColor), blue);
    EXPECT_EQ(settings.value(Keys::RadiusFactor), nullptr);
    clock->applicationWillTerminate();
    const auto written = PropertyListFile::read(path);
    ASSERT_TRUE(written);
    EXPECT_EQ(written->value(Keys::SecondHandColor), blue);
    EXPECT_EQ(written->value(Keys::CenterFactor),
              PropertyList::string(QStringLiteral("{0.5, 0.5}")));
    EXPECT_EQ(written->value(QStringLiteral("SomeoneElsesKey")), PropertyList::integer(7));
}

TEST_F(ClockFile, AnUnreadableFileIsLeftAloneAndNamedOnce)
{
    const QString path =
        QDir(TKWWindowController::settingsFolder()).filePath(QStringLiteral("BAD.tkw"));
    QFile bad(path);
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("<plist><array/></plist>");
    bad.close();
    static QStringList warnings;
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &text) { warnings << text; });
    const auto clock = TKWWindowController::initWithSettingsFile(path);
    qInstallMessageHandler(previous);
    EXPECT_FALSE(clock);
    EXPECT_EQ(clocks.numberOfClocks(), 0u);
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings.first().contains(path));
    ASSERT_TRUE(bad.open(QIODevice::ReadOnly));
    EXPECT_EQ(bad.readAll(), QByteArray("<plist><array/></plist>"));
}

TEST_F(ClockFile, AChangeReachesTheFileAndARemovalCancelsIt)
{
    const auto kept = TKWWindowController::initWithTimeZoneName(QStringLiteral("UTC"));
    const auto removed = TKWWindowController::initWithTimeZoneName(QStringLiteral("UTC"));
    kept->showWindow();
    removed->showWindow();
    kept->clockSettings()->setValue(Keys::ClockSize, PropertyList::integer(200));
    removed->clockSettings()->setValue(Keys::ClockSize, PropertyList::integer(200));
    const QString removedFile = removed->settingsFile();
    removed->removeClock(); // two clocks: no question asked
    EXPECT_EQ(clocks.numberOfClocks(), 1u);

    EXPECT_TRUE(waitFor(
        [&] {
            const auto written = PropertyListFile::read(kept->settingsFile());
            return written && written->value(Keys::ClockSize) == PropertyList::integer(200);
        },
        20000));
    EXPECT_FALSE(QFile::exists(removedFile));
}

TEST_F(ClockFile, TheLastClockGoesOnlyWhenTheUserSaysYes)
{
    const auto clock = TKWWindowController::initWithTimeZoneName(QStringLiteral("UTC"));
    clock->showWindow();
    ASSERT_TRUE(clock->writeSettings());

    answerNextAlert(StringTable::localizedString(QStringLiteral("No")));
    clock->removeClock();
    EXPECT_EQ(clocks.numberOfClocks(), 1u);
    EXPECT_TRUE(QFile::exists(clock->settingsFile()));

    answerNextAlert(StringTable::localizedString(QStringLiteral("Yes")));
    clock->removeClock();
    EXPECT_EQ(clocks.numberOfClocks(), 0u);
    EXPECT_FALSE(QFile::exists(clock->settingsFile()));
    // Nothing brings the file back, not even the quit that follows.
    clock->applicationWillTerminate();
    EXPECT_FALSE(QFile::exists(clock->settingsFile()));
}

TEST_F(ClockFile, TheWindowComesBackWhereItWas)
{
    Rect placed;
    QString name;
    {
        const auto clock = TKWWindowController::initWithTimeZoneName(QStringLiteral("UTC"));
        clock->showWindow();
        WindowFrame &frame = clock->clockView()->windowFrame();
        frame.setFrame({200, 150, 128, 128}, false);
        placed = frame.frame();
        clock->applicationWillTerminate();
        name = clock->frameAutosaveName();
        ASSERT_TRUE(clock->writeSettings());
        const auto again = TKWWindowController::initWithSettingsFile(clock->settingsFile());
        again->showWindow();
        EXPECT_EQ(again->clockView()->windowFrame().frame(), placed);
    }
    EXPECT_TRUE(FrameAutosave::saved(name).has_value());
}

TEST_F(ClockFile, WithoutACompositorTheWindowIsCutToWhatItPaints)
{
    // 10:10:30: the hands point to ten, two and six; half past four is bare face.
    PinnedTime now(std::chrono::sys_days(std::chrono::year(2026) / 12 / 6) +
                   std::chrono::hours(10) + std::chrono::minutes(10) + std::chrono::seconds(30));
    CompositingWatch::shared().setOverride(false);
    const auto clock = TKWWindowController::initWithTimeZoneName(QStringLiteral("UTC"));
    clock->showWindow();
    TKWWindow *window = clock->window();
    const QRect area = window->rect();
    const QPoint centre = area.center();
    const int radius = area.width() / 2;
    const QPoint bareFace = centre + QPoint(radius * 4 / 10, radius * 4 / 10);

    // Set before the window is first shown, so it never shows as a square.
    const QRegion round = window->shape();
    EXPECT_EQ(window->windowHandle()->mask(), round);
    EXPECT_TRUE(round.contains(centre));
    EXPECT_TRUE(round.contains(bareFace));
    for (const QPoint corner :
         {area.topLeft(), area.topRight(), area.bottomLeft(), area.bottomRight()}) {
        EXPECT_FALSE(round.contains(corner));
    }

    // A transparent face leaves the marks and hands: the shape follows the paint.
    clock->clockSettings()->setValue(Keys::Opacity, PropertyList::real(0));
    ASSERT_TRUE(waitFor([&] { return window->shape() != round; }, 3000));
    EXPECT_TRUE(window->shape().contains(centre));
    EXPECT_FALSE(window->shape().contains(bareFace));

    // A compositor that starts takes the cut away.
    CompositingWatch::shared().setOverride(true);
    EXPECT_TRUE(window->shape().isEmpty());
    EXPECT_TRUE(window->windowHandle()->mask().isEmpty());
    CompositingWatch::shared().setOverride(std::nullopt);
}

// The shape is taken again only where the hands moved off the steady dial; after
// any number of ticks it must still be exactly what a whole frame paints.
TEST_F(ClockFile, TheShapeFollowsTheHandsTickByTick)
{
    Instant instant = std::chrono::sys_days(std::chrono::year(2026) / 12 / 6) +
                      std::chrono::hours(10) + std::chrono::minutes(59) + std::chrono::seconds(10);
    PinnedTime now([&] { return instant; });
    CompositingWatch::shared().setOverride(false);
    const auto clock = TKWWindowController::initWithTimeZoneName(QStringLiteral("UTC"));
    clock->clockSettings()->setValue(Keys::Opacity, PropertyList::real(0));
    clock->clockSettings()->setValue(Keys::MinutePips, PropertyList::boolean(true));
    clock->showWindow();
    TKWWindow *window = clock->window();
    TKWView *view = clock->clockView();

    const auto mismatches = [&] {
        const QImage frame = view->renderImage(1);
        int wrong = 0;
        for (int y = 0; y < frame.height(); ++y) {
            for (int x = 0; x < frame.width(); ++x) {
                const bool painted = qAlpha(frame.pixel(x, y)) >= 32;
                wrong += painted != window->shape().contains(QPoint(x, y));
            }
        }
        return wrong;
    };
    // Across a turn of the minute and of the hour, so every hand moves.
    for (int second = 0; second < 65; ++second) {
        instant += std::chrono::seconds(1);
        view->timerFired();
        ASSERT_TRUE(waitFor([&] { return mismatches() == 0; }, 20000))
            << mismatches() << " pixels wrong after " << second + 1 << " s";
    }
    CompositingWatch::shared().setOverride(std::nullopt);
}
