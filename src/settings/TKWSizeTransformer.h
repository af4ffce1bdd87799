#pragma once

#include "store/ValueTransformer.h"

namespace tockwise {

// The clock size (points) as the settings panel's size control shows it: in
// points, where the stored sizes are whole steps of 4 points. Single precision
// throughout, as the stored sizes are.
class TKWSizeTransformer : public ValueTransformer
{
public:
    static constexpr float pointsPerStep = 4.0f;

    bool allowsReverseTransformation() const override { return true; }
    // The stored points as they are, fractions kept (130 from elsewhere shows as 130).
    PropertyList transformedValue(const PropertyList &value) const override;
    // Points to the nearest whole step, halves away from zero (130 stores 132).
    PropertyList reverseTransformedValue(const PropertyList &value) const override;
};

} // namespace tockwise
