#include "platform/PropertyList.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const PropertyList kinds[] = {
    PropertyList(),
    PropertyList::integer(3),
    PropertyList::real(2.5),
    PropertyList::boolean(true),
    PropertyList::string(QStringLiteral("7")),
    PropertyList::data(QByteArray("\x01\x02", 2)),
    PropertyList::date(QDateTime::fromSecsSinceEpoch(0, Qt::UTC)),
    PropertyList::array({PropertyList::integer(1)}),
    PropertyList::dictionary({{QStringLiteral("k"), PropertyList::integer(1)}}),
};

} // namespace

TEST(PropertyListConversions, OnlyNumbersAndStringsOfferThem)
{
    for (const PropertyList &value : kinds) {
        const bool offers = value.kind() == PropertyList::Kind::Integer ||
                            value.kind() == PropertyList::Kind::Real ||
                            value.kind() == PropertyList::Kind::Boolean ||
                            value.kind() == PropertyList::Kind::String;
        EXPECT_EQ(value.boolValue().has_value(), offers) << int(value.kind());
        EXPECT_EQ(value.intValue().has_value(), offers) << int(value.kind());
        EXPECT_EQ(value.floatValue().has_value(), offers) << int(value.kind());
    }
}

TEST(PropertyListConversions, RealsTruncateTowardZero)
{
    EXPECT_EQ(PropertyList::real(2.7).intValue(), 2);
    EXPECT_EQ(PropertyList::real(-2.7).intValue(), -2);
    EXPECT_EQ(PropertyList::real(0.99).intValue(), 0);
}

TEST(PropertyListConversions, NumbersConvertAcrossKinds)
{
    EXPECT_EQ(PropertyList::boolean(true).floatValue(), 1.0f);
    EXPECT_EQ(PropertyList::boolean(false).intValue(), 0);
    EXPECT_EQ(PropertyList::integer(2).boolValue(), true);
    EXPECT_EQ(PropertyList::integer(0).boolValue(), false);
    EXPECT_EQ(PropertyList::real(0.25).boolValue(), true);
    EXPECT_EQ(PropertyList::integer(128).floatValue(), 128.0f);
    EXPECT_EQ(PropertyList::real(240.0 / 255.0).floatValue(), 0.9411764740943909f);
}

TEST(PropertyListConversions, WildNumbersDoNotMisbehave)
{
    // Out-of-range conversions saturate instead of invoking undefined behaviour.
    EXPECT_EQ(PropertyList::real(1e300).intValue(), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(PropertyList::real(-1e300).intValue(), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(PropertyList::real(std::nan("")).intValue(), 0);
    EXPECT_TRUE(std::isinf(*PropertyList::real(1e300).floatValue()));
    // A wider integer keeps its low 32 bits, as the platform's int conversion does.
    EXPECT_EQ(PropertyList::integer((std::int64_t(1) << 32) + 128).intValue(), 128);
    EXPECT_EQ(PropertyList::integer(std::int64_t(1) << 40).longLongValue(), std::int64_t(1) << 40);
}

struct StringCase
{
    const char *text;
    bool boolean;
    std::int32_t integer;
    float real;
};

class StringNumbers : public ::testing::TestWithParam<StringCase>
{};

TEST_P(StringNumbers, ReadTheLeadingNumber)
{
    const StringCase &c = GetParam();
    const PropertyList value = PropertyList::string(QString::fromUtf8(c.text));
    EXPECT_EQ(value.boolValue(), c.boolean) << c.text;
    EXPECT_EQ(value.intValue(), c.integer) << c.text;
    EXPECT_FLOAT_EQ(*value.floatValue(), c.real) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Strings, StringNumbers,
    ::testing::Values(StringCase{"12", true, 12, 12.0f}, StringCase{"  42abc", true, 42, 42.0f},
                      StringCase{"abc", false, 0, 0.0f}, StringCase{"", false, 0, 0.0f},
                      StringCase{"-3.9", true, -3, -3.9f}, StringCase{"0.5", false, 0, 0.5f},
                      StringCase{"YES", true, 0, 0.0f}, StringCase{"true", true, 0, 0.0f},
                      StringCase{"no", false, 0, 0.0f}, StringCase{"-0001", true, -1, -1.0f},
                      StringCase{"1e3", true, 1, 1000.0f}, StringCase{".5", false, 0, 0.5f},
                      StringCase{"99999999999", true, 2147483647, 99999999999.0f},
                      StringCase{"-99999999999", true, -2147483647 - 1, -99999999999.0f}));
