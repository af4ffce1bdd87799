#include "store/ValueTransformer.h"

#include <QHash>

namespace tockwise {

namespace {

QHash<QString, std::shared_ptr<const ValueTransformer>> &registry()
{
    static QHash<QString, std::shared_ptr<const ValueTransformer>> transformers;
    return transformers;
}

} // namespace

PropertyList ValueTransformer::reverseTransformedValue(const PropertyList &) const
{
    return {};
}

void ValueTransformer::setValueTransformer(std::unique_ptr<ValueTransformer> transformer,
                                           const QString &name)
{
    if (transformer) {
        registry().insert(name, std::shared_ptr<const ValueTransformer>(std::move(transformer)));
    } else {
        registry().remove(name);
    }
}

const ValueTransformer *ValueTransformer::valueTransformerForName(const QString &name)
{
    const auto it = registry().constFind(name);
    return it == registry().cend() ? nullptr : it.value().get();
}

} // namespace tockwise
