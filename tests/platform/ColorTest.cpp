#include "platform/Color.h"

#include <gtest/gtest.h>

TEST(ColorEncoding, SpaceComponentsAndAlphaSurviveExactly)
{
    const Color colors[] = {
        Color::calibratedRGB(1.0f, 1.0f, static_cast<float>(240.0 / 255.0), 1.0f),
        Color::calibratedRGB(0.1f, 0.2f, 0.3f, 0.123456789f),
        Color::deviceRGB(0.333333343f, 1e-30f, 0.999999940f, 0.0f),
        Color::calibratedWhite(0.5f, 0.25f),
        Color::black(),
        Color::clear(),
    };
    for (const Color &color : colors) {
        const std::optional<Color> back = Color::decode(color.encode());
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(back->space(), color.space());
        for (int i = 0; i < color.componentCount(); ++i) {
            // Bit-for-bit, not merely close.
            EXPECT_EQ(std::bit_cast<quint32>(back->component(i)),
                      std::bit_cast<quint32>(color.component(i)));
        }
        EXPECT_EQ(back->alpha(), color.alpha());
        EXPECT_EQ(*back, color);
    }
}

TEST(ColorEncoding, DataThatIsNotAColourDecodesToNone)
{
    const QByteArray good = Color::red().encode();
    EXPECT_FALSE(Color::decode(QByteArray()));
    EXPECT_FALSE(Color::decode("garbage"));
    EXPECT_FALSE(Color::decode(good.left(good.size() - 1)));
    EXPECT_FALSE(Color::decode(good + 'x'));
    QByteArray futureVersion = good;
    futureVersion[4] = 2;
    EXPECT_FALSE(Color::decode(futureVersion));
    QByteArray unknownSpace = good;
    unknownSpace[5] = 9;
    EXPECT_FALSE(Color::decode(unknownSpace));
    QByteArray notANumber = Color::calibratedWhite(0, 1).encode();
    notANumber[6] = char(0x7f);
    notANumber[7] = char(0xc0);
    EXPECT_FALSE(Color::decode(notANumber));
}

TEST(ColorConversion, WhiteBecomesGreyRGBAndKeepsAlpha)
{
    const Color grey = *Color::calibratedWhite(0.3f, 0.4f).usingCalibratedRGB();
    EXPECT_EQ(grey.space(), Color::Space::CalibratedRGB);
    EXPECT_EQ(grey.redComponent(), 0.3f);
    EXPECT_EQ(grey.blueComponent(), 0.3f);
    EXPECT_EQ(grey.alpha(), 0.4f);
    EXPECT_EQ(Color::red().withAlphaComponent(0.5f).alpha(), 0.5f);
    const QColor painted = Color::calibratedRGB(2.0f, -1.0f, 0.5f, 1.0f).toQColor();
    EXPECT_EQ(painted.redF(), 1.0f); // out-of-range components are clamped for painting
    EXPECT_EQ(painted.greenF(), 0.0f);
}
