#include "platform/ValueTransformer.h"

#include <gtest/gtest.h>

namespace {

class Doubling : public ValueTransformer
{
public:
    PropertyList transformedValue(const PropertyList &value) const override
    {
        const auto number = value.longLongValue();
        return number ? PropertyList::integer(*number * 2) : PropertyList();
    }
};

} // namespace

TEST(ValueTransformerRegistry, FindsTransformersByNameAndForgetsRemovedOnes)
{
    EXPECT_EQ(ValueTransformer::valueTransformerForName(QStringLiteral("Doubling")), nullptr);
    ValueTransformer::setValueTransformer(std::make_unique<Doubling>(), QStringLiteral("Doubling"));
    const ValueTransformer *found =
        ValueTransformer::valueTransformerForName(QStringLiteral("Doubling"));
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->transformedValue(PropertyList::integer(21)), PropertyList::integer(42));
    EXPECT_FALSE(found->allowsReverseTransformation());
    EXPECT_TRUE(found->reverseTransformedValue(PropertyList::integer(1)).isNone());
    ValueTransformer::setValueTransformer(nullptr, QStringLiteral("Doubling"));
    EXPECT_EQ(ValueTransformer::valueTransformerForName(QStringLiteral("Doubling")), nullptr);
}
