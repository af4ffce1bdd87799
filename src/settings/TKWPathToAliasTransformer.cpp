#include "settings/TKWPathToAliasTransformer.h"

#include "settings/FacePicture.h"
#include "store/AliasData.h"

namespace tockwise {

PropertyList TKWPathToAliasTransformer::transformedValue(const PropertyList &value) const
{
    const std::optional<QString> path = FacePicture::find(&value);
    return path ? PropertyList::string(*path) : PropertyList();
}

PropertyList TKWPathToAliasTransformer::reverseTransformedValue(const PropertyList &value) const
{
    const QString *path = value.asString();
    if (!path) {
        return {};
    }
    const std::optional<AliasData> alias = AliasData::fromPath(*path);
    return alias ? PropertyList::data(alias->encode()) : PropertyList();
}

} // namespace tockwise
