#pragma once

#include "store/ValueTransformer.h"

#include <QByteArray>
#include <QHash>

#include <chrono>

namespace tockwise {

// The face picture setting: alias data in the settings, a path for the view and
// the controls. Reading resolves the alias; bringing the stored alias up to date
// once the picture was found elsewhere is the clock's controller's work.
class TKWPathToAliasTransformer : public ValueTransformer
{
public:
    bool allowsReverseTransformation() const override { return true; }
    // Alias data (a data value) to the path of the file it refers to now (a
    // string), or none.
    PropertyList transformedValue(const PropertyList &value) const override;
    // A path (a string) to alias data, or none where no regular file is there.
    PropertyList reverseTransformedValue(const PropertyList &value) const override;

private:
    // A clock's controller, its view and its panel each read the picture at
    // once; a search that found nothing, which may take its whole budget, is
    // not repeated for them within this time.
    static constexpr std::chrono::seconds missKept{3};
    mutable QHash<QByteArray, std::chrono::steady_clock::time_point> mMisses;
};

} // namespace tockwise
