#include "settings/TKWPathToAliasTransformer.h"

#include "store/AliasData.h"

namespace tockwise {

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
    const auto now = std::chrono::steady_clock::now();
    mMisses.removeIf([now](const auto &miss) { return now - miss.value() >= missKept; });
    // Lately missed, only the stored path is looked at again.
    const bool missed = mMisses.contains(*data);
    const std::optional<QString> path =
        missed ? alias->resolve({.maximumEntries = 0}) : alias->resolve();
    if (!path) {
        if (!missed) {
            mMisses.insert(*data, now);
        }
        return {};
    }
    mMisses.remove(*data);
    return PropertyList::string(*path);
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
