// What a clock view does that a single picture cannot show: what a tick repaints,
// the cached dial layer, the window's place and the zone's text.

#include "Support.h"
#include "app/TKWController.h"
#include "clockview/FaceGeometry.h"
#include "clockview/TKWView.h"
#include "desktop/x11/DirectFrame.h"
#include "desktop/x11/PixelLayout.h"
#include "desktop/x11/X11Desktop.h"
#include "settings/SettingsKeys.h"
#include "store/ObservableDictionary.h"
#include "window/ClockSizing.h"
#include "window/TKWWindowController.h"

#include <QLoggingCategory>
#include <QPaintEvent>
#include <QWindow>

#include <xcb/xcb.h>
#include <xcb/xcbext.h>

using namespace tockwise;

namespace tockwise {
class TKWViewTestAccess
{
public:
    static void cacheDial(TKWView &view, bool caches) { view.mCachesDial = caches; }
    static std::optional<QString> dialZone(TKWView &view) { return view.decorationTexts().zone; }
};
} // namespace tockwise

namespace {

const Instant tenPastTen = utc(12, 6, 10, 10, 30);
const PropertyList on = PropertyList::boolean(true), off = PropertyList::boolean(false);

// A woken view in a frame that lives in memory, at a pinned instant: the stock
// settings in UTC with a test's own on top.
struct Clock
{
    Clock(Instant instant, const PropertyList::Dictionary &overrides = {})
        : now(instant), settings(stock(overrides))
    {
        ClockSizing::follow(view, window);
        view.awakeFromNib();
        view.setModel(TKWWindowController::modelOf(settings));
        // As a clock's controller does: the view is given the model at every change.
        follow = settings.observeAll([this](const QString &key) {
            view.setModel(TKWWindowController::modelOf(settings), ClockSettings::changeOf(key));
        });
    }
    static PropertyList::Dictionary stock(const PropertyList::Dictionary &overrides)
    {
        TKWController::initialize(); // what every clock reads: numerals, pictures
        PropertyList::Dictionary settings = TKWWindowController::defaultConfig();
        settings.insert(Keys::TimeZone, PropertyList::string("UTC"));
        settings.insert(overrides);
        return settings;
    }
    QImage render(qreal scale = 1) { return view.renderImage(scale); }
    void tick(Instant instant) { now.set(instant), view.timerFired(); }
    void set(const QString &key, PropertyList v) { settings.setValue(key, v); }

    PinnedTime now;
    std::shared_ptr<DetachedWindowFrame> window = std::make_shared<DetachedWindowFrame>(
        Rect{1000, 1000, 128, 128}, ScreenInfo{{0, 0, 4000, 4000}, {0, 0, 4000, 4000}, 0, false});
    ObservableDictionary settings;
    TKWView view;
    Observation follow;
};

const QRegion whole(0, 0, 128, 128);

// The paints of a view: at which of a test's seconds, and where.
struct Painted : QObject
{
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            regions.push_back({second, static_cast<QPaintEvent *>(event)->region()});
        }
        return false;
    }
    int count() const { return int(regions.size()); }
    int second = 0;
    std::vector<std::pair<int, QRegion>> regions;
};

// Frames through the layer (the second reuses it) against the frame drawn whole.
bool layerDrawsWhole(Clock &clock, qreal scale = 1)
{
    const QImage first = clock.render(scale);
    const QImage second = clock.render(scale);
    TKWViewTestAccess::cacheDial(clock.view, false);
    const QImage drawn = clock.render(scale);
    TKWViewTestAccess::cacheDial(clock.view, true);
    return first == drawn && second == drawn;
}

} // namespace

class Repaint : public ::testing::Test
{
protected:
    void start(const PropertyList::Dictionary &settings, bool show = true)
    {
        clock.reset(); // its pinned time must not outlive the new one's
        clock = std::make_unique<Clock>(tenPastTen, settings);
        painted.regions.clear();
        clock->view.resize(128, 128);
        clock->view.installEventFilter(&painted);
        clock->view.setVisible(show);
        ASSERT_TRUE(waitFor([&] { return painted.count() > 0 || !show; }));
        painted.regions.clear();
    }
    // Paints are posted: once they are handled, all that a tick asked for is done.
    void tick(int hour, int minute, int second)
    {
        clock->tick(utc(12, 6, hour, minute, second));
        QCoreApplication::processEvents();
    }
    QRegion region() const { return painted.regions.back().second; }
    Painted painted;
    std::unique_ptr<Clock> clock;
};

TEST_F(Repaint, ATickRepaintsAllThatMovedAndOnlyThatUnlessATextChanged)
{
    start({});
    const QImage before = clock->render();
    tick(10, 10, 31);
    ASSERT_EQ(painted.count(), 1);
    EXPECT_NE(region(), whole);
    const QImage after = clock->render();
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 128; ++x) {
            ASSERT_TRUE(before.pixel(x, y) == after.pixel(x, y) || region().contains({x, y}));
        }
    }
    tick(11, 59, 59);
    tick(12, 0, 0); // AM becomes PM
    EXPECT_EQ(painted.count(), 3);
    EXPECT_EQ(region(), whole);
}

TEST_F(Repaint, WithoutSecondsOnlyAVisibleMoveOfTheMinuteHandRepaints)
{
    for (const bool digital : {false, true}) {
        start({{Keys::ShowSeconds, PropertyList::boolean(false)},
               {Keys::DigitalClock, PropertyList::boolean(digital)}});
        // 0.1 degree a second moves the 48-point minute hand's tip 0.08 points: the
        // third second reaches a quarter pixel. A digital clock waits for the minute.
        tick(10, 10, 31);
        tick(10, 10, 32);
        EXPECT_EQ(painted.count(), 0) << digital;
        tick(10, 10, 33);
        EXPECT_EQ(painted.count(), digital ? 0 : 1) << digital;
        tick(10, 11, 0);
        EXPECT_EQ(painted.count(), digital ? 1 : 2) << digital;
    }
}

TEST_F(Repaint, AHiddenOrCoveredClockDoesNotPaintAndShowsTheTimeWhenSeenAgain)
{
    start({}, false);
    tick(10, 12, 32);
    EXPECT_EQ(painted.count(), 0);
    clock->view.show();
    ASSERT_TRUE(waitFor([this] { return painted.count() > 0; }));
    EXPECT_EQ(clock->render(), Clock(utc(12, 6, 10, 12, 32)).render());

    painted.regions.clear();
    clock->view.setCovered(true);
    tick(10, 12, 33);
    tick(10, 12, 34);
    EXPECT_EQ(painted.count(), 0);
    // The window system keeps showing the last frame: all of it is drawn anew.
    clock->view.setCovered(false);
    ASSERT_TRUE(waitFor([this] { return painted.count() > 0; }));
    EXPECT_EQ(region(), whole);
    tick(10, 12, 35);
    EXPECT_EQ(painted.count(), 2);
}

// Two clocks alike, one ticked every second and one only at the seconds it asks
// for: over twenty minutes across noon both must paint the same at the same
// seconds, while the second wakes far less often.
TEST(TickSchedule, TicksComeOnlyWhenSomethingShownChangesAndPaintAsEverySecond)
{
    const std::tuple<const char *, PropertyList::Dictionary, int> rows[] = {
        {"analog", {{Keys::ShowSeconds, off}}, 420},
        {"analog at 256 points",
         {{Keys::ShowSeconds, off}, {Keys::ClockSize, PropertyList::integer(256)}},
         640},
        {"24 hours, second zone",
         {{Keys::ShowSeconds, off},
          {Keys::TwentyFour, on},
          {Keys::AlternateTimeZone, PropertyList::string("Asia/Kolkata")},
          // A size at which that hand's moves fall between the minute hand's.
          {Keys::ClockSize, PropertyList::integer(136)}},
         420},
        {"digital", {{Keys::ShowSeconds, off}, {Keys::DigitalClock, on}}, 20},
        {"seconds", {}, 1200},
    };
    for (const auto &[name, settings, mostTicks] : rows) {
        Painted everySecond, asked;
        Clock a(utc(12, 6, 11, 50, 0), settings), b(utc(12, 6, 11, 50, 0), settings);
        int ticks = 0;
        for (auto [clock, painted] : {std::pair{&a, &everySecond}, std::pair{&b, &asked}}) {
            clock->view.resize(int(clock->view.bounds().width), int(clock->view.bounds().height));
            clock->view.installEventFilter(painted);
            clock->view.show();
            ASSERT_TRUE(waitFor([painted] { return !painted->regions.empty(); }));
        }
        for (int second = 1; second <= 1200; ++second) {
            const Instant now = utc(12, 6, 11, 50, 0) + std::chrono::seconds(second);
            everySecond.second = asked.second = second;
            a.tick(now);
            if (b.view.nextChange() <= now) {
                b.tick(now);
                ++ticks;
            }
            QCoreApplication::processEvents();
        }
        EXPECT_EQ(asked.regions, everySecond.regions) << name;
        EXPECT_LE(ticks, mostTicks) << name;
        EXPECT_GT(asked.regions.size(), 20u) << name;
    }
}

// Under Xvfb only (the x11_frames test): ticks send their frames straight to the
// window, and what the X server holds for it must be what the clock draws, even
// when asked within a tick, and after more requests than xcb can count without a
// reply between them.
TEST(X11Frames, AClockWindowHoldsWhatTheClockDrawsAfterTicks)
{
    if (!X11Desktop::isX11()) {
        GTEST_SKIP() << "runs under the x11_frames test, on an X display";
    }
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *c = x11->connection();
    for (const bool seconds : {true, false}) {
        Clock clock(tenPastTen, {{Keys::ShowSeconds, PropertyList::boolean(seconds)}});
        clock.view.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
        clock.view.setAttribute(Qt::WA_TranslucentBackground);
        clock.view.setGeometry(40, 40, 128, 128);
        clock.view.show();
        ASSERT_TRUE(waitFor([&] { return clock.view.windowHandle()->isExposed(); }));
        // The id xcb hands out next, which the first frame takes for its context.
        const std::uint32_t ids = xcb_get_setup(c)->resource_id_mask;
        const xcb_gcontext_t context = xcb_generate_id(c) + (ids & -ids);
        ASSERT_TRUE(DirectFrame::repaint(&clock.view, QRect(0, 0, 1, 1)))
            << "frames go straight to the window on this display";
        const qreal ratio = clock.view.devicePixelRatioF();
        const auto side = static_cast<std::uint16_t>(std::lround(128 * ratio));
        const auto shownMatches = [&] {
            const xcb_get_image_cookie_t asked =
                xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP,
                              static_cast<xcb_window_t>(clock.view.winId()), 0, 0, side, side, ~0u);
            xcb_flush(c);
            void *answer = nullptr;
            bool answered = false;
            // A reply xcb took for another request's would never come.
            EXPECT_TRUE(waitFor([&] {
                return answered =
                           answered || xcb_poll_for_reply(c, asked.sequence, &answer, nullptr);
            }));
            const std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> reply(
                static_cast<xcb_get_image_reply_t *>(answer), &std::free);
            return reply && reply->depth == 32 &&
                   QImage(xcb_get_image_data(reply.get()), side, side,
                          QImage::Format_ARGB32_Premultiplied) == clock.render(ratio);
        };
        // Forty seconds in which the date, the texts and the hour hand stay: each
        // frame is only what moved, the second hand or, every few seconds, the
        // minute hand.
        for (int second = 1; second <= 40; ++second) {
            const DirectFrame::Batch frames;
            clock.tick(tenPastTen + std::chrono::seconds(second));
            if (second == 40) {
                EXPECT_TRUE(shownMatches()) << "within a tick, seconds " << seconds;
            }
        }
        EXPECT_TRUE(shownMatches()) << "seconds " << seconds << ", ratio " << ratio;
        if (!seconds) {
            std::vector<QRect> cells;
            for (int y = 0; y < 128; ++y) {
                for (int x = y % 2; x < 128; x += 2) {
                    cells.emplace_back(x, y, 1, 1);
                }
            }
            QRegion checkers;
            checkers.setRects(cells.data(), int(cells.size()));
            for (int repaint = 0; repaint < 9; ++repaint) {
                ASSERT_TRUE(DirectFrame::repaint(&clock.view, checkers));
            }
            EXPECT_TRUE(shownMatches()) << "after " << 9 * cells.size() << " requests";
            continue;
        }
        // Frames the X server refuses, drawn with a context another client freed:
        // the window is drawn as usual from then on, whole at first, and says so once.
        xcb_connection_t *other = xcb_connect(nullptr, nullptr);
        ASSERT_EQ(xcb_request_check(other, xcb_free_gc_checked(other, context)), nullptr);
        xcb_disconnect(other);
        static QStringList logged;
        QLoggingCategory::setFilterRules("qt.qpa.xcb.debug=true"); // Qt's line for an X error
        const QtMessageHandler before = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &, const QString &line) { logged << line; });
        clock.tick(tenPastTen + 41s);
        EXPECT_TRUE(waitFor([&] { return !DirectFrame::repaint(&clock.view, QRect(0, 0, 1, 1)); }));
        for (int second = 42; second <= 50; ++second) {
            clock.tick(tenPastTen + std::chrono::seconds(second));
        }
        EXPECT_TRUE(waitFor(shownMatches)) << "drawn as usual";
        qInstallMessageHandler(before);
        QLoggingCategory::setFilterRules({});
        EXPECT_EQ(logged.size(), 1) << logged.join('\n').toStdString();
        EXPECT_TRUE(logged.join("").contains(QString::number(clock.view.winId(), 16)));
    }
}

// Frames and the desktop picture go as 32-bit words only where the X server keeps
// pixels so, and are read in the server's byte order.
TEST(PixelLayout, WordsAreCopiedOnlyAsTheServerLaysThemOut)
{
    const std::pair<xcb_format_t, bool> rows[] = {
        {{24, 32, 32, {}}, true},  {{32, 32, 8, {}}, true},  {{24, 24, 32, {}}, false},
        {{24, 32, 64, {}}, false}, {{24, 32, 0, {}}, false}, {{16, 16, 32, {}}, false}};
    for (const auto &[format, packs] : rows) {
        const xcb_format_t listed[] = {{1, 1, 32, {}}, format};
        EXPECT_EQ(PixelLayout::packsWords(listed, format.depth), packs)
            << int(format.bits_per_pixel) << " bits, pad " << int(format.scanline_pad);
        EXPECT_FALSE(PixelLayout::packsWords(listed, 8)) << "a depth not listed";
    }
    const std::uint8_t lsb[] = {0x33, 0x22, 0x11, 0x00, 0x66, 0x55, 0x44, 0x80};
    const std::uint8_t msb[] = {0x00, 0x11, 0x22, 0x33, 0x80, 0x44, 0x55, 0x66};
    for (const auto &[pixels, order] :
         {std::pair{lsb, XCB_IMAGE_ORDER_LSB_FIRST}, std::pair{msb, XCB_IMAGE_ORDER_MSB_FIRST}}) {
        const QImage image = PixelLayout::opaqueImage(pixels, QSize(1, 2), order);
        EXPECT_EQ(image.pixel(0, 0), 0xff112233u) << order;
        EXPECT_EQ(image.pixel(0, 1), 0xff445566u) << order;
    }
}

TEST(DialLayer, FramesThroughTheLayerAndAfterAJumpAreFramesDrawnAfresh)
{
    Clock clock(utc(12, 6, 23, 59, 59), {{Keys::ShowWeekday, on}, {Keys::MinutePips, on}});
    EXPECT_TRUE(layerDrawsWhole(clock, 1.5));
    clock.set(Keys::PipStyle, PropertyList::integer(2));
    clock.set(Keys::AlternateTimeZone, PropertyList::string("Asia/Tokyo"));
    EXPECT_TRUE(layerDrawsWhole(clock)) << "settings";
    clock.set(Keys::FaceColor, PropertyList::data(Color::red().encode()));
    EXPECT_TRUE(layerDrawsWhole(clock)) << "a colour";
    clock.tick(utc(12, 7, 0, 0, 0));
    EXPECT_TRUE(layerDrawsWhole(clock)) << "the date and weekday at midnight";
    clock.tick(utc(12, 7, 12, 0, 0));
    EXPECT_TRUE(layerDrawsWhole(clock)) << "the meridian";
    clock.set(Keys::ClockSize, PropertyList::integer(200));
    EXPECT_TRUE(layerDrawsWhole(clock)) << "the size";
    EXPECT_TRUE(layerDrawsWhole(clock, 2)) << "the ratio of the device";

    // On screen, the hour and minute hands stay where they were drawn until they
    // visibly move, and frames copy them from a layer that must follow each move.
    Clock shown(tenPastTen);
    shown.view.resize(128, 128);
    shown.view.show();
    for (int second = 1; second <= 7; ++second) {
        shown.tick(tenPastTen + std::chrono::seconds(second));
        EXPECT_TRUE(layerDrawsWhole(shown)) << "on screen, second " << second;
    }

    // After a resume from suspend, the system time set, or a change to daylight
    // saving time, the next tick shows what a clock started then shows.
    clock.set(Keys::TimeZone, PropertyList::string("America/New_York"));
    for (const Instant jump :
         {utc(12, 5, 22, 45, 12), utc(12, 9, 3, 0, 1), utc(3, 8, 6, 59, 59), utc(3, 8, 7, 0, 0)}) {
        clock.tick(jump);
        EXPECT_TRUE(clock.render() == Clock(jump, clock.settings.contents()).render());
    }
}

// A change of a setting leaves an analog clock as one started with the changed
// settings: of the same size and drawn alike. A digital clock's window follows the
// lines of its readout.
TEST(SettingChange, LeavesAClockAsOneStartedWithItsSettings)
{
    const std::pair<QString, PropertyList> changes[] = {
        {Keys::ShowWeekday, on},
        {Keys::ShowDate, PropertyList::boolean(false)},
        {Keys::TwentyFour, on},
        {Keys::ClockSize, PropertyList::integer(200)},
        {Keys::FadeHands, on}};
    Clock clock(tenPastTen);
    for (const auto &[key, value] : changes) {
        clock.now.set(tenPastTen); // as the last fresh clock unpinned it
        clock.set(key, value);
        Clock fresh(tenPastTen, clock.settings.contents());
        EXPECT_EQ(clock.window->frame().size(), fresh.window->frame().size());
        EXPECT_EQ(clock.render(), fresh.render()) << key.toStdString();
    }
    Clock digital(tenPastTen, {{Keys::DigitalClock, on}});
    const float height = digital.window->frame().height;
    digital.set(Keys::ShowWeekday, on);
    EXPECT_GT(digital.window->frame().height, height);
}

// Zone texts and times as `date` prints them, from the first tick after a change.
TEST(ZoneText, IsTheTimeZoneDatabasesAbbreviation)
{
    // Zone, instant and, where the database spells it otherwise, the zone there.
    const std::tuple<const char *, Instant, const char *> rows[] = {
        {"Europe/Paris", utc(3, 29, 1, 0, 0), nullptr},
        {"Europe/Paris", utc(3, 29, 0, 59, 59), nullptr},
        {"America/New_York", utc(11, 1, 5, 59, 59), nullptr},
        {"America/New_York", utc(11, 1, 6, 0, 0), nullptr},
        {"Europe/London", utc(7, 1, 12, 0, 0), nullptr},
        {"Asia/Kolkata", tenPastTen, nullptr},
        {"Asia/Kathmandu", tenPastTen, nullptr},
        {"Asia/Tokyo", tenPastTen, nullptr},
        {"America/Sao_Paulo", tenPastTen, nullptr},
        // Without daylight saving time since 2022, later than ICU's own data.
        {"America/Mexico_City", utc(7, 1, 12, 0, 0), nullptr},
        {"PST", utc(7, 1, 12, 0, 0), "America/Los_Angeles"},
    };
    Clock clock(tenPastTen, {{Keys::ShowTimeZone, on}});
    for (const auto &[zone, instant, database] : rows) {
        const char *tz = database ? database : zone;
        const QString expected = dateText(tz, instant);
        setenv("TZ", tz, 1);
        EXPECT_EQ(TimeZone::system().abbreviation(instant), expected) << zone;
        // The readout is asked before the tick, as a window is fitted to a new zone.
        clock.set(Keys::TimeZone, PropertyList::string(zone));
        const auto lines = clock.view.digitalTimeStringForDate(instant).lines; // time, zone
        EXPECT_EQ(lines.size() > 1 ? lines[0].text + u' ' + lines[1].text : QString(),
                  dateText(tz, instant, "%-I:%M:%S %p %Z"))
            << zone;
        clock.tick(instant);
        EXPECT_EQ(TKWViewTestAccess::dialZone(clock.view), expected) << zone;
    }
    unsetenv("TZ");
}

TEST(WindowSizing, ResizingKeepsTheCentreAndOffScreenWindowsComeBackTwentyPointsIn)
{
    using namespace WindowSizing;
    EXPECT_EQ(resizedFrame({100, 100, 96, 128}, {128, 58}, std::nullopt), (Rect{84, 135, 128, 58}));
    // On the main screen the top stays below the menu bar.
    EXPECT_EQ(resizedFrame({0, 700, 128, 128}, {128, 128}, MenuBar{800, 22}).y, 650);
    // Less than 5 points inside the visible frame (0, 0, 1440, 878) on a side.
    const std::pair<Rect, std::optional<Rect>> frames[] = {
        {{1500, 100, 128, 128}, Rect{1292, 100, 128, 128}},
        {{-125, 100, 128, 128}, Rect{20, 100, 128, 128}},
        {{1435, 100, 128, 128}, std::nullopt},
        {{100, 900, 128, 128}, Rect{100, 730, 128, 128}},
        {{100, -124, 128, 128}, Rect{100, 20, 128, 128}},
        {{100, -123, 128, 128}, std::nullopt}};
    for (const auto &[frame, corrected] : frames) {
        EXPECT_EQ(offScreenCorrection(frame, {0, 0, 1440, 878}), corrected)
            << frame.x << ", " << frame.y;
    }
}
