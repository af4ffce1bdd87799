#include "settings/SettingArgument.h"

#include "platform/Color.h"

#include <gtest/gtest.h>

// A value is read whole: a newline at its end is no part of a colour, a number
// or a key, so the text is refused or kept as a string, never half read.
TEST(SettingArgument, AFinalNewlineIsPartOfTheValue)
{
    const auto colour = SettingArgument::parse(QStringLiteral("TKWHandColor=#ff000080"), nullptr);
    ASSERT_TRUE(colour.has_value());
    EXPECT_EQ(colour->value,
              PropertyList::data(Color::calibratedRGB(1, 0, 0, 128 / 255.0f).encode()));

    for (const char *refused : {"TKWHandColor=#ff000080\n", "TKWHandColor=#ff0000\n", "TKW\n=1"}) {
        QString error;
        EXPECT_FALSE(SettingArgument::parse(QString::fromUtf8(refused), &error)) << refused;
        EXPECT_FALSE(error.isEmpty()) << refused;
    }
    for (const char *text : {"TKWClockSize=12\n", "TKWOpacity=0.5\n", "TKWShowDate=true\n"}) {
        EXPECT_FALSE(SettingArgument::parse(QString::fromUtf8(text), nullptr)) << text;
    }
}
