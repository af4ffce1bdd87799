#include "settings/TKWSizeTransformer.h"

#include <gtest/gtest.h>

TEST(TKWSizeTransformer, ConvertsBetweenPointsAndFourPointSteps)
{
    const TKWSizeTransformer transformer;
    ASSERT_TRUE(transformer.allowsReverseTransformation());
    const auto real = [](double value) { return PropertyList::real(value); };
    const struct
    {
        PropertyList from;
        double shown;    // points shown as steps
        double restored; // steps stored as points
    } rows[] = {
        {PropertyList::integer(128), 32, 512},
        {real(130), 32.5, 520},
        {real(32.5), 8.125, 128},
        {real(32.99), 8.2475, 128},
        {real(33), 8.25, 132},
        {real(-3.7), -0.925, -12},
        {PropertyList::string(QStringLiteral("33.9")), 8.475, 132},
        // Single precision: 33.99999999 is 34 once it is a float.
        {real(33.99999999), 8.5, 136},
    };
    for (const auto &row : rows) {
        const double number = row.from.doubleValue().value_or(-1);
        EXPECT_EQ(transformer.transformedValue(row.from),
                  real(static_cast<double>(static_cast<float>(row.shown))))
            << number;
        EXPECT_EQ(transformer.reverseTransformedValue(row.from), real(row.restored)) << number;
    }
    for (const PropertyList &value :
         {PropertyList(), PropertyList::data("128"), PropertyList::array({real(128)})}) {
        EXPECT_TRUE(transformer.transformedValue(value).isNone());
        EXPECT_TRUE(transformer.reverseTransformedValue(value).isNone());
    }
}
