#include "store/KeyObservers.h"

#include <algorithm>

namespace tockwise {

KeyObservers::KeyObservers() : mRegistry(std::make_shared<Registry>())
{}

KeyObservers::~KeyObservers()
{
    // Handles that outlive the store find the registry gone; entries still being
    // notified must not be called once their store has been destroyed.
    for (const auto &entry : mRegistry->entries) {
        entry->active = false;
    }
}

Observation KeyObservers::observe(const QString &key, Callback callback)
{
    return add(key, std::move(callback));
}

Observation KeyObservers::observeAll(Callback callback)
{
    return add(std::nullopt, std::move(callback));
}

Observation KeyObservers::add(std::optional<QString> key, Callback callback)
{
    auto entry = std::make_shared<Entry>(Entry{std::move(key), std::move(callback)});
    mRegistry->entries.push_back(entry);
    std::weak_ptr<Registry> weakRegistry = mRegistry;
    std::weak_ptr<Entry> weakEntry = entry;
    return Observation([weakRegistry, weakEntry] {
        const auto entry = weakEntry.lock();
        if (!entry) {
            return;
        }
        entry->active = false;
        if (const auto registry = weakRegistry.lock()) {
            std::erase(registry->entries, entry);
        }
    });
}

void KeyObservers::notify(const QString &key) const
{
    // A snapshot, since observers may add or end observations while we walk.
    std::vector<std::shared_ptr<Entry>> due;
    for (const auto &entry : mRegistry->entries) {
        if (!entry->key || *entry->key == key) {
            due.push_back(entry);
        }
    }
    for (const auto &entry : due) {
        if (entry->active) {
            // Held by `due`, the callback survives its observation ending inside it.
            entry->callback(key);
        }
    }
}

std::size_t KeyObservers::count(const QString &key) const
{
    return std::count_if(mRegistry->entries.begin(), mRegistry->entries.end(),
                         [&key](const auto &entry) { return entry->key && *entry->key == key; });
}

} // namespace tockwise
