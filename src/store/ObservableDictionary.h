#pragma once

#include "store/KeyObservers.h"
#include "store/PropertyList.h"

namespace tockwise {

// A clock's settings: a dictionary of property-list values whose every change of
// a key (set, even to an equal value, or removal) reaches that key's observers
// synchronously, whichever call made it. Shared: its owner and its readers each
// hold a std::shared_ptr.
class ObservableDictionary
{
public:
    explicit ObservableDictionary(PropertyList::Dictionary contents = {});
    ObservableDictionary(const ObservableDictionary &) = delete;
    ObservableDictionary &operator=(const ObservableDictionary &) = delete;

    // The value under the key; null when the key is absent.
    const PropertyList *value(const QString &key) const;
    bool contains(const QString &key) const { return mContents.contains(key); }
    const PropertyList::Dictionary &contents() const { return mContents; }

    // Setting none removes the key.
    void setValue(const QString &key, const PropertyList &value);
    void removeValue(const QString &key);

    [[nodiscard]] Observation observe(const QString &key, KeyObservers::Callback callback);
    [[nodiscard]] Observation observeAll(KeyObservers::Callback callback);
    std::size_t observerCount(const QString &key) const { return mObservers.count(key); }

private:
    PropertyList::Dictionary mContents;
    KeyObservers mObservers;
};

} // namespace tockwise
