// How a clock view follows its settings: which changes resize its window and
// which only redraw it.

#include "ClockRendering.h"
#include "settings/SettingsKeys.h"

#include <gtest/gtest.h>

#include <array>

namespace {

const std::array<QString, 24> observed = {
    Keys::AlternateTimeZone, Keys::AlternateZoneColor, Keys::ClockSize,       Keys::DigitalClock,
    Keys::DrawBorder,        Keys::FaceColor,          Keys::FaceImage,       Keys::FadeHands,
    Keys::HandColor,         Keys::MinutePips,         Keys::Opacity,         Keys::OtherDataColor,
    Keys::PipColor,          Keys::PipStyle,           Keys::SecondHandColor, Keys::ShowDate,
    Keys::ShowDayOnly,       Keys::ShowMeridian,       Keys::ShowSeconds,     Keys::ShowTimeZone,
    Keys::ShowWeekday,       Keys::TimeZone,           Keys::TwentyFour,      Keys::UseFaceImage,
};

// Whether setting `key` (to the value it holds, or to a value of its kind) set
// the window's frame.
bool resizes(RenderedClock &clock, const QString &key)
{
    int frames = 0;
    clock.window->onFrameChanged([&frames](const Rect &) { ++frames; });
    const PropertyList *current = clock.view.configData()->value(key);
    clock.view.configData()->setValue(key, current ? *current : PropertyList::integer(0));
    clock.window->onFrameChanged({});
    return frames > 0;
}

} // namespace

TEST(SettingsObservation, AnAnalogClockResizesOnlyForSizeZoneModeAndPicture)
{
    RenderedClock clock(utcInstant(2026, 12, 6, 10, 10, 30), {});
    for (const QString &key : observed) {
        const bool expected = key == Keys::ClockSize || key == Keys::TimeZone ||
                              key == Keys::DigitalClock || key == Keys::FaceImage ||
                              key == Keys::UseFaceImage;
        EXPECT_EQ(resizes(clock, key), expected) << key.toStdString();
    }
}

TEST(SettingsObservation, ADigitalClockResizesForEveryKeyButColoursOpacityAndFading)
{
    RenderedClock clock(utcInstant(2026, 12, 6, 10, 10, 30),
                        {{Keys::DigitalClock, PropertyList::boolean(true)}});
    for (const QString &key : observed) {
        const bool expected = !key.endsWith(QStringLiteral("Color")) && key != Keys::Opacity &&
                              key != Keys::FadeHands;
        EXPECT_EQ(resizes(clock, key), expected) << key.toStdString();
    }
    // A change of the seconds switch changes the readout, and so the window.
    const float before = clock.frame().height;
    clock.view.configData()->setValue(Keys::ShowSeconds, PropertyList::boolean(false));
    EXPECT_NE(clock.frame().height, before);
}

TEST(SettingsObservation, EachKeyIsObservedOnceAndNoLongerThanTheView)
{
    auto settings = std::make_shared<ObservableDictionary>();
    {
        RenderedClock clock(utcInstant(2026, 12, 6, 10, 10, 30), {});
        clock.view.setConfigData(settings);
        clock.view.setConfigData(settings);
        for (const QString &key : observed) {
            EXPECT_EQ(settings->observerCount(key), 1u) << key.toStdString();
        }
        EXPECT_EQ(settings->observerCount(Keys::CenterFactor), 0u);
        EXPECT_EQ(settings->observerCount(Keys::RadiusFactor), 0u);
    }
    for (const QString &key : observed) {
        EXPECT_EQ(settings->observerCount(key), 0u) << key.toStdString();
    }
    settings->setValue(Keys::ClockSize, PropertyList::integer(64)); // reaches no one
}

TEST(SettingsObservation, NewSettingsMoveTheObservation)
{
    RenderedClock clock(utcInstant(2026, 12, 6, 10, 10, 30), {});
    const std::shared_ptr<ObservableDictionary> old = clock.view.configData();
    auto replacement = std::make_shared<ObservableDictionary>(old->contents());
    clock.view.setConfigData(replacement);
    EXPECT_EQ(old->observerCount(Keys::ClockSize), 0u);
    old->setValue(Keys::ClockSize, PropertyList::integer(64));
    EXPECT_EQ(clock.frame().width, 128.0f);
    replacement->setValue(Keys::ClockSize, PropertyList::integer(64));
    EXPECT_EQ(clock.frame().width, 64.0f);
}

TEST(SettingsObservation, AWindowOffTheScreenComesBackWhenSettingsArrive)
{
    // A visible frame of (0, 0, 1440, 878), as on a laptop with a menu bar.
    const ScreenInfo screen{{0, 0, 1440, 900}, {0, 0, 1440, 878}, 22, false};
    const auto place = [&screen](float x, std::optional<ScreenInfo> on) {
        RenderedClock clock(utcInstant(2026, 12, 6, 10, 10, 30), {}, false);
        clock.window->setFrame({x, 100, 128, 128}, false);
        clock.window->setScreen(on);
        clock.window->setMainScreen(screen);
        clock.view.awakeFromNib();
        clock.view.setConfigData(std::make_shared<ObservableDictionary>(
            PropertyList::Dictionary{{Keys::ClockSize, PropertyList::integer(128)}}));
        return clock.frame().x;
    };
    EXPECT_EQ(place(1500, screen), 1292.0f);
    EXPECT_EQ(place(-125, screen), 20.0f);
    EXPECT_EQ(place(1435, screen), 1435.0f);
    // On no screen: the main screen's visible frame decides.
    EXPECT_EQ(place(1500, std::nullopt), 1292.0f);
}
