#pragma once
// Stop flags keyed by identifier, through which a running decode is told to
// stop early. Every operation runs alone; an entry lives from its first set
// until it is removed.

#include "Platform/Files/Uuid.hpp"

#include <mutex>
#include <optional>
#include <unordered_map>

namespace pelluxcore {

class EarlyStopActor {
public:
    void set(bool value, const platform::Uuid& uuid);
    // The stored flag; false for an identifier never set.
    bool get(const platform::Uuid& uuid) const;
    // Deletes the entry and returns its former flag, absent when there was none.
    std::optional<bool> remove(const platform::Uuid& uuid);

private:
    mutable std::mutex mutex_;
    std::unordered_map<platform::Uuid, bool> shouldStop_;
};

} // namespace pelluxcore
