#pragma once

#include "store/ValueTransformer.h"

// The clock size (points) as the settings panel's size control shows it, where
// one step is 4 points. Single precision throughout, as the stored sizes are.
class TKWSizeTransformer : public ValueTransformer
{
public:
    static constexpr float pointsPerStep = 4.0f;

    bool allowsReverseTransformation() const override { return true; }
    // Points to steps: a quarter, fractions kept (130 shows as 32.5).
    PropertyList transformedValue(const PropertyList &value) const override;
    // Steps to points: the whole steps only, cut toward zero (32.99 stores 128).
    PropertyList reverseTransformedValue(const PropertyList &value) const override;
};
