#include "settings/TKWPathToAliasTransformer.h"

#include "store/AliasData.h"

PropertyList TKWPathToAliasTransformer::transformedValue(const PropertyList &value) const
{
    const QByteArray *data = value.asData();
    if (!data) {
        return {};
    }
    const std::optional<AliasData> alias = AliasData::decode(*data);
    if (!alias) {
        return {};
    }
    const std::optional<QString> path = alias->resolve();
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
