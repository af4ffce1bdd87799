#include "settings/TKWSizeTransformer.h"

#include <cmath>

namespace tockwise {

PropertyList TKWSizeTransformer::transformedValue(const PropertyList &value) const
{
    const std::optional<float> points = value.floatValue();
    if (!points) {
        return {};
    }
    return PropertyList::real(static_cast<double>(*points));
}

PropertyList TKWSizeTransformer::reverseTransformedValue(const PropertyList &value) const
{
    const std::optional<float> points = value.floatValue();
    if (!points) {
        return {};
    }
    return PropertyList::real(
        static_cast<double>(std::round(*points / pointsPerStep) * pointsPerStep));
}

} // namespace tockwise
