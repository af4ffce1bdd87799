#pragma once

#include "store/ValueTransformer.h"

namespace tockwise {

// The face picture setting: alias data in the settings, a path for the controls.
// Reading follows the alias as FacePicture does; bringing the stored alias up to
// date once the picture was found elsewhere is the clock's controller's work.
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

} // namespace tockwise
