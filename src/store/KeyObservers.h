#pragma once

#include "store/Observation.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tockwise {

// The observers of the keys of one store (clock settings, user defaults).
// Notification is synchronous. An observer may end any observation, its own
// included, and may even destroy the store while it is being notified: an ended
// observation is never called again, not even later in the same notification.
class KeyObservers
{
public:
    using Callback = std::function<void(const QString &key)>;

    KeyObservers();
    ~KeyObservers();
    KeyObservers(const KeyObservers &) = delete;
    KeyObservers &operator=(const KeyObservers &) = delete;

    [[nodiscard]] Observation observe(const QString &key, Callback callback);
    // Every key: for those who keep the whole store, such as its writer.
    [[nodiscard]] Observation observeAll(Callback callback);

    void notify(const QString &key) const;
    std::size_t count(const QString &key) const;

private:
    struct Entry
    {
        std::optional<QString> key; // none: every key
        Callback callback;
        bool active = true;
    };
    struct Registry
    {
        std::vector<std::shared_ptr<Entry>> entries;
    };

    Observation add(std::optional<QString> key, Callback callback);

    std::shared_ptr<Registry> mRegistry;
};

} // namespace tockwise
