// Frames drawn through the cached dial layer against frames drawn whole.

#include "ClockRendering.h"
#include "settings/SettingsKeys.h"

#include <gtest/gtest.h>

namespace {

QImage uncached(RenderedClock &clock, qreal scale)
{
    TKWViewTestAccess::cacheDial(clock.view, false);
    QImage image = clock.render(scale);
    TKWViewTestAccess::cacheDial(clock.view, true);
    return image;
}

// The largest difference of any channel of any pixel, and how many pixels differ.
std::pair<int, int> difference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size()) {
        return {256, -1};
    }
    int largest = 0;
    int pixels = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            const int d =
                std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                          std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
            largest = std::max(largest, d);
            pixels += d > 0 ? 1 : 0;
        }
    }
    return {largest, pixels};
}

PropertyList on()
{
    return PropertyList::boolean(true);
}

} // namespace

TEST(DialLayer, FramesThroughTheLayerEqualFramesDrawnWhole)
{
    const QList<PropertyList::Dictionary> clocks = {
        {},
        {{Keys::TwentyFour, on()},
         {Keys::PipStyle, PropertyList::integer(2)},
         {Keys::MinutePips, on()},
         {Keys::AlternateTimeZone, PropertyList::string(QStringLiteral("Asia/Tokyo"))},
         {Keys::ShowWeekday, on()},
         {Keys::FadeHands, on()}},
        {{Keys::PipStyle, PropertyList::integer(3)}, {Keys::Opacity, PropertyList::real(1)}},
    };
    for (const PropertyList::Dictionary &settings : clocks) {
        RenderedClock clock(utcInstant(2026, 12, 6, 10, 10, 30), settings);
        for (const qreal scale : {1.0, 1.5, 2.0}) {
            const QImage whole = uncached(clock, scale);
            const auto [first, firstCount] = difference(clock.render(scale), whole);
            EXPECT_EQ(first, 0) << scale << " " << firstCount;
            EXPECT_EQ(difference(clock.render(scale), whole).first, 0) << "reused at " << scale;
        }
    }
}

TEST(DialLayer, IsDrawnAgainWhenWhatItShowsChanges)
{
    RenderedClock clock(utcInstant(2026, 12, 6, 23, 59, 59), {{Keys::ShowWeekday, on()}});
    clock.render(1);

    // A setting.
    clock.view.configData()->setValue(Keys::PipStyle, PropertyList::integer(3));
    EXPECT_EQ(difference(clock.render(1), uncached(clock, 1)), std::make_pair(0, 0));
    clock.view.configData()->setValue(Keys::FaceColor, PropertyList::data(Color::red().encode()));
    EXPECT_EQ(difference(clock.render(1), uncached(clock, 1)), std::make_pair(0, 0));

    // The date and weekday at midnight, and the meridian.
    clock.now.set(utcInstant(2026, 12, 7, 0, 0, 0));
    clock.view.timerFired();
    EXPECT_EQ(difference(clock.render(1), uncached(clock, 1)), std::make_pair(0, 0));
    clock.now.set(utcInstant(2026, 12, 7, 12, 0, 0));
    clock.view.timerFired();
    EXPECT_EQ(difference(clock.render(1), uncached(clock, 1)), std::make_pair(0, 0));

    // The size, and the ratio of the device.
    clock.view.configData()->setValue(Keys::ClockSize, PropertyList::integer(200));
    EXPECT_EQ(clock.render(1).width(), 200);
    EXPECT_EQ(difference(clock.render(1), uncached(clock, 1)), std::make_pair(0, 0));
    EXPECT_EQ(difference(clock.render(2), uncached(clock, 2)), std::make_pair(0, 0));
}

TEST(DialLayer, AJumpOfTheSystemClockShowsTheNewTimeAtTheNextTick)
{
    // After a resume from suspend, or the system time set back or forward, the
    // next tick must show what a clock started at the new time shows: no hand, date
    // or weekday left over from before the jump.
    const PropertyList::Dictionary settings = {
        {Keys::ShowDate, on()}, {Keys::ShowWeekday, on()}, {Keys::ShowMeridian, on()}};
    RenderedClock clock(utcInstant(2026, 12, 6, 10, 10, 30), settings);
    clock.render(1);
    for (const Instant jump :
         {utcInstant(2026, 12, 5, 22, 45, 12), utcInstant(2026, 12, 9, 3, 0, 1),
          utcInstant(2025, 6, 30, 13, 5, 59)}) {
        clock.now.set(jump);
        clock.view.timerFired();
        RenderedClock fresh(jump, settings);
        EXPECT_EQ(difference(clock.render(1), fresh.render(1)), std::make_pair(0, 0));
    }
}
