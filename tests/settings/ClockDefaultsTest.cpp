#include "settings/ClockDefaults.h"

#include "platform/Color.h"
#include "platform/SizeString.h"
#include "settings/SettingsKeys.h"
#include "window/TKWWindowController.h"

#include <gtest/gtest.h>

namespace {

Color colorOf(const PropertyList::Dictionary &settings, const QString &key)
{
    const PropertyList value = settings.value(key);
    EXPECT_TRUE(value.asData()) << key.toStdString();
    const auto color = value.asData() ? Color::decode(*value.asData()) : std::nullopt;
    EXPECT_TRUE(color.has_value()) << key.toStdString();
    return color.value_or(Color::clear());
}

} // namespace

TEST(DefaultConfig, HoldsTheSeventeenStockSettingsWithTheirKinds)
{
    const PropertyList::Dictionary config = TKWWindowController::defaultConfig();
    EXPECT_EQ(config.size(), 17);
    EXPECT_EQ(config.value(Keys::Local), PropertyList::boolean(true));
    EXPECT_EQ(config.value(Keys::ClockSize), PropertyList::integer(128));
    EXPECT_EQ(config.value(Keys::Opacity), PropertyList::real(0.5));
    EXPECT_EQ(config.value(Keys::DrawBorder), PropertyList::integer(1));
    EXPECT_EQ(config.value(Keys::RadiusFactor), PropertyList::real(0.25));
    for (const QString &key : {Keys::ShowSeconds, Keys::PipStyle, Keys::ShowDate,
                               Keys::ShowMeridian, Keys::ShowTimeZone}) {
        EXPECT_EQ(config.value(key), PropertyList::integer(1)) << key.toStdString();
    }
    for (const QString &absent :
         {Keys::TimeZone, Keys::AlternateTimeZone, Keys::DigitalClock, Keys::UseFaceImage,
          Keys::FaceImage, Keys::FadeHands, Keys::MinutePips, Keys::TwentyFour, Keys::ShowDayOnly,
          Keys::ShowWeekday}) {
        EXPECT_FALSE(config.contains(absent)) << absent.toStdString();
    }
}

TEST(DefaultConfig, TheCentreFactorIsAQuarterAcrossAndHalfUp)
{
    const PropertyList::Dictionary config = TKWWindowController::defaultConfig();
    ASSERT_TRUE(config.value(Keys::CenterFactor).asString());
    EXPECT_EQ(SizeString::sizeFromString(*config.value(Keys::CenterFactor).asString()),
              QSizeF(0.25, 0.5));
}

TEST(DefaultConfig, StockColoursAreStoredInTheColourEncoding)
{
    const PropertyList::Dictionary config = TKWWindowController::defaultConfig();
    const Color face = colorOf(config, Keys::FaceColor);
    EXPECT_EQ(face.space(), Color::Space::CalibratedRGB);
    EXPECT_EQ(face.redComponent(), 1.0f);
    EXPECT_EQ(face.greenComponent(), 1.0f);
    // 240/255 in single precision, not the double quotient.
    EXPECT_EQ(static_cast<double>(face.blueComponent()), 0.9411764740943909);
    EXPECT_NE(static_cast<double>(face.blueComponent()), 240.0 / 255.0);
    EXPECT_EQ(face.alpha(), 1.0f);

    EXPECT_EQ(colorOf(config, Keys::AlternateZoneColor), Color::red());
    for (const QString &key :
         {Keys::HandColor, Keys::SecondHandColor, Keys::PipColor, Keys::OtherDataColor}) {
        EXPECT_EQ(colorOf(config, key), Color::black()) << key.toStdString();
        EXPECT_EQ(config.value(key), config.value(Keys::HandColor));
    }
}

TEST(DefaultConfig, EveryCallBuildsAnIndependentDictionary)
{
    PropertyList::Dictionary first = TKWWindowController::defaultConfig();
    first.insert(Keys::ClockSize, PropertyList::integer(512));
    first.remove(Keys::Local);
    const PropertyList::Dictionary second = TKWWindowController::defaultConfig();
    EXPECT_EQ(second.value(Keys::ClockSize), PropertyList::integer(128));
    EXPECT_TRUE(second.contains(Keys::Local));
}

TEST(FillIns, OlderFilesGetTheMissingColoursAndCentre)
{
    const PropertyList red = PropertyList::data(Color::red().encode());
    PropertyList::Dictionary loaded = {{Keys::HandColor, red}};
    ClockDefaults::applyFillIns(loaded);
    EXPECT_EQ(loaded.value(Keys::PipColor), red);
    EXPECT_EQ(loaded.value(Keys::SecondHandColor), red);
    EXPECT_EQ(loaded.value(Keys::OtherDataColor), red);
    EXPECT_EQ(loaded.value(Keys::AlternateZoneColor), red);
    EXPECT_EQ(SizeString::sizeFromString(*loaded.value(Keys::CenterFactor).asString()),
              QSizeF(0.5, 0.5));
    EXPECT_FALSE(loaded.contains(Keys::RadiusFactor));
    EXPECT_FALSE(loaded.contains(Keys::ClockSize));

    // Present keys are kept as they are.
    const PropertyList blue = PropertyList::data(Color::calibratedRGB(0, 0, 1, 1).encode());
    PropertyList::Dictionary complete = {
        {Keys::HandColor, red},
        {Keys::PipColor, blue},
        {Keys::CenterFactor, PropertyList::string(QStringLiteral("{1, 1}"))}};
    ClockDefaults::applyFillIns(complete);
    EXPECT_EQ(complete.value(Keys::PipColor), blue);
    EXPECT_EQ(complete.value(Keys::CenterFactor), PropertyList::string(QStringLiteral("{1, 1}")));
}

TEST(RegisteredDefaults, TheViewRegistersSevenClockKeys)
{
    const PropertyList::Dictionary view = ClockDefaults::viewRegisteredDefaults();
    EXPECT_EQ(view.size(), 7);
    EXPECT_EQ(view.value(Keys::ClockSize), PropertyList::integer(128));
    EXPECT_EQ(view.value(Keys::PipStyle), PropertyList::integer(1));
    EXPECT_EQ(view.value(Keys::Opacity), PropertyList::real(0.5));
    EXPECT_EQ(view.value(Keys::FaceColor),
              TKWWindowController::defaultConfig().value(Keys::FaceColor));
}

TEST(RegisteredDefaults, RomanNumeralsWriteFourAsIIIIAndStopAt23)
{
    const QStringList numerals = ClockDefaults::romanNumerals();
    ASSERT_EQ(numerals.size(), 23);
    EXPECT_EQ(numerals[3], QStringLiteral("IIII"));
    EXPECT_EQ(numerals[8], QStringLiteral("IX"));
    EXPECT_EQ(numerals[13], QStringLiteral("XIV"));
    EXPECT_EQ(numerals[18], QStringLiteral("XIX"));
    EXPECT_EQ(numerals[22], QStringLiteral("XXIII"));

    const PropertyList::Dictionary app = ClockDefaults::controllerRegisteredDefaults();
    EXPECT_EQ(app.value(Keys::WindowLevel), PropertyList::integer(0));
    const PropertyList::Array *stored = app.value(Keys::RomanNumerals).asArray();
    ASSERT_TRUE(stored);
    ASSERT_EQ(stored->size(), 23);
    EXPECT_EQ(stored->at(3), PropertyList::string(QStringLiteral("IIII")));
}
