#pragma once

#include "store/ValueTransformer.h"

// The face picture setting: alias data in the settings, a path for the view and
// the controls. The resolved path is only read; the stored alias is never
// rewritten to it.
class TKWPathToAliasTransformer : public ValueTransformer
{
public:
    bool allowsReverseTransformation() const override { return true; }
    // Alias data (a data value) to the path of the file it refers to now (a
    // string), or none.
    PropertyList transformedValue(const PropertyList &value) const override;
    // A path (a string) to alias data, or none where no regular file is there.
    PropertyList reverseTransformedValue(const PropertyList &value) const override;
};
