#include "clockview/TKWView.h"
#include "platform/UserDefaults.h"
#include "settings/SettingsKeys.h"
#include "window/TKWWindowController.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

PropertyList colorValue(const Color &color)
{
    return PropertyList::data(color.encode());
}

std::shared_ptr<ObservableDictionary> settings(PropertyList::Dictionary contents = {})
{
    return std::make_shared<ObservableDictionary>(std::move(contents));
}

} // namespace

TEST(TKWViewReaders, AViewWithoutSettingsTakesOnlyIntegersFromTheDefaults)
{
    TKWView view;
    EXPECT_EQ(view.integerSettingForKey(Keys::ClockSize), 128);
    EXPECT_EQ(view.integerSettingForKey(Keys::PipStyle), 1);
    EXPECT_EQ(view.integerSettingForKey(Keys::ShowSeconds), 1);
    EXPECT_FALSE(view.boolSettingForKey(Keys::ShowSeconds));
    EXPECT_FALSE(view.boolSettingForKey(Keys::DrawBorder));
    EXPECT_EQ(view.floatSettingForKey(Keys::Opacity), 0.0f);
    EXPECT_EQ(view.objectSettingForKey(Keys::ClockSize), nullptr);

    // The user's own value comes before the registered one.
    UserDefaults::standard().setInteger(Keys::ClockSize, 200);
    EXPECT_EQ(view.integerSettingForKey(Keys::ClockSize), 200);
    UserDefaults::standard().removeObjectForKey(Keys::ClockSize);
    EXPECT_EQ(view.integerSettingForKey(Keys::ClockSize), 128);
}

TEST(TKWViewReaders, AViewWithSettingsNeverAsksTheDefaults)
{
    TKWView view;
    view.setConfigData(settings());
    EXPECT_EQ(view.integerSettingForKey(Keys::ClockSize), 0);
    EXPECT_EQ(view.integerSettingForKey(Keys::PipStyle), 0);
}

TEST(TKWViewReaders, ValuesConvertAndWrongKindsReadAsZero)
{
    TKWView view;
    view.setConfigData(settings({
        {Keys::ClockSize, PropertyList::real(2.7)},
        {Keys::Opacity, PropertyList::boolean(true)},
        {Keys::ShowDate, PropertyList::data(QByteArray("\x01", 1))},
        {Keys::PipStyle, PropertyList::string(QStringLiteral("3 Arabic"))},
        {Keys::ShowSeconds, PropertyList::array({PropertyList::integer(1)})},
        {Keys::RadiusFactor, PropertyList::date(QDateTime::currentDateTimeUtc())},
    }));
    EXPECT_EQ(view.integerSettingForKey(Keys::ClockSize), 2);
    EXPECT_EQ(view.floatSettingForKey(Keys::Opacity), 1.0f);
    EXPECT_FALSE(view.boolSettingForKey(Keys::ShowDate));
    EXPECT_EQ(view.integerSettingForKey(Keys::ShowDate), 0);
    EXPECT_EQ(view.integerSettingForKey(Keys::PipStyle), 3);
    EXPECT_FALSE(view.boolSettingForKey(Keys::ShowSeconds));
    EXPECT_EQ(view.floatSettingForKey(Keys::RadiusFactor), 0.0f);
}

TEST(TKWViewColors, AbsentColoursReadAsTheHandColour)
{
    TKWView view;
    view.setConfigData(settings({{Keys::HandColor, colorValue(Color::red())}}));
    EXPECT_EQ(view.colorSettingForKey(Keys::PipColor), Color::red());
    EXPECT_EQ(view.colorSettingForKey(Keys::OtherDataColor), Color::red());
}

TEST(TKWViewColors, DamagedOrMissingColoursDrawOpaqueBlack)
{
    TKWView view;
    view.setConfigData(settings({{Keys::PipColor, PropertyList::data("garbage")},
                                 {Keys::SecondHandColor, PropertyList::integer(5)}}));
    EXPECT_EQ(view.colorSettingForKey(Keys::PipColor), Color::black());
    EXPECT_EQ(view.colorSettingForKey(Keys::SecondHandColor), Color::black());
    EXPECT_EQ(view.colorSettingForKey(Keys::HandColor), Color::black()); // none stored at all
    EXPECT_EQ(view.colorSettingForKey(Keys::HandColor).alpha(), 1.0f);
}

TEST(TKWViewColors, FadingReplacesAlphaWithTheOpacity)
{
    TKWView view;
    auto config = settings({{Keys::FadeHands, PropertyList::boolean(true)},
                            {Keys::Opacity, PropertyList::real(0.5)},
                            {Keys::HandColor, colorValue(Color::red())},
                            {Keys::PipColor, colorValue(Color::red().withAlphaComponent(0.2f))}});
    view.setConfigData(config);
    EXPECT_EQ(view.colorSettingForKey(Keys::HandColor), Color::red().withAlphaComponent(0.5f));
    // Replaced, not multiplied.
    EXPECT_EQ(view.colorSettingForKey(Keys::PipColor).alpha(), 0.5f);

    config->removeValue(Keys::Opacity);
    EXPECT_EQ(view.colorSettingForKey(Keys::HandColor).alpha(), 0.0f);

    config->setValue(Keys::FadeHands, PropertyList::integer(0));
    EXPECT_EQ(view.colorSettingForKey(Keys::PipColor).alpha(), 0.2f);
}

TEST(TKWViewBorder, ContrastsWithTheFaceByLuminance)
{
    const struct
    {
        const char *name;
        Color face;
        bool white;
    } cases[] = {
        {"stock face", Color::calibratedRGB(1.0f, 1.0f, 0.9411765f, 1.0f), false},
        {"red, Y 0.3", Color::red(), false},
        {"grey 0.3", Color::calibratedWhite(0.3f, 1.0f), false},
        {"green", Color::calibratedRGB(0, 1, 0, 1), false},
        {"blue, Y 0.11", Color::calibratedRGB(0, 0, 1, 1), true},
        {"black", Color::black(), true},
        {"Y 0.281", Color::calibratedRGB(0.2f, 0.3f, 0.4f, 1.0f), true},
        {"transparent black", Color::clear(), true},
        {"device white", Color::deviceRGB(1, 1, 1, 0), false},
    };
    for (const auto &c : cases) {
        const Color border = TKWView::borderColor(c.face);
        EXPECT_EQ(border, c.white ? Color::white() : Color::black()) << c.name;
        EXPECT_EQ(border.alpha(), 1.0f) << c.name;
    }
}

TEST(TKWViewBorder, TheBoundaryLiesInSinglePrecision)
{
    // 0.3 rounded to float lies above the double 0.3, so it gives black; the float
    // just below it is the largest luminance that gives white.
    const float justBelow = std::nextafter(0.3f, 0.0f);
    EXPECT_EQ(static_cast<double>(justBelow), 0.29999998211860657);
    EXPECT_EQ(TKWView::borderColor(Color::calibratedWhite(0.3f, 1)), Color::black());
    EXPECT_EQ(TKWView::borderColor(Color::calibratedWhite(justBelow, 1)), Color::white());
}
