#include "settings/TKWSizeTransformer.h"

#include <cmath>

PropertyList TKWSizeTransformer::transformedValue(const PropertyList &value) const
{
    const std::optional<float> points = value.floatValue();
    if (!points) {
        return {};
    }
    return PropertyList::real(static_cast<double>(*points * (1.0f / pointsPerStep)));
}

PropertyList TKWSizeTransformer::reverseTransformedValue(const PropertyList &value) const
{
    const std::optional<float> steps = value.floatValue();
    if (!steps) {
        return {};
    }
    return PropertyList::real(static_cast<double>(std::trunc(*steps) * pointsPerStep));
}
