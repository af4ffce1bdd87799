#pragma once

#include "store/PropertyList.h"

#include <QString>

#include <memory>

namespace tockwise {

// Converts a stored setting to the form a control or the view uses, and back.
// Transformers are registered by name once at start and found by that name.
class ValueTransformer
{
public:
    virtual ~ValueTransformer() = default;

    virtual bool allowsReverseTransformation() const { return false; }
    // Both give none when the value cannot be converted.
    virtual PropertyList transformedValue(const PropertyList &value) const = 0;
    virtual PropertyList reverseTransformedValue(const PropertyList &value) const;

    static void setValueTransformer(std::unique_ptr<ValueTransformer> transformer,
                                    const QString &name);
    // Null when nothing is registered under the name.
    static const ValueTransformer *valueTransformerForName(const QString &name);
};

} // namespace tockwise
