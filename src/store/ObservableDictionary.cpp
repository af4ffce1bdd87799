#include "store/ObservableDictionary.h"

namespace tockwise {

ObservableDictionary::ObservableDictionary(PropertyList::Dictionary contents)
    : mContents(std::move(contents))
{}

const PropertyList *ObservableDictionary::value(const QString &key) const
{
    const auto it = mContents.constFind(key);
    return it == mContents.cend() ? nullptr : &it.value();
}

void ObservableDictionary::setValue(const QString &key, const PropertyList &value)
{
    if (value.isNone()) {
        removeValue(key);
        return;
    }
    mContents.insert(key, value);
    mObservers.notify(key);
}

void ObservableDictionary::removeValue(const QString &key)
{
    if (mContents.remove(key) > 0) {
        mObservers.notify(key);
    }
}

Observation ObservableDictionary::observe(const QString &key, KeyObservers::Callback callback)
{
    return mObservers.observe(key, std::move(callback));
}

Observation ObservableDictionary::observeAll(KeyObservers::Callback callback)
{
    return mObservers.observeAll(std::move(callback));
}

} // namespace tockwise
