#include "PelluxCore/EarlyStopActor.hpp"

namespace pelluxcore {

void EarlyStopActor::set(bool value, const platform::Uuid& uuid) {
    std::lock_guard guard(mutex_);
    shouldStop_[uuid] = value;
}

bool EarlyStopActor::get(const platform::Uuid& uuid) const {
    std::lock_guard guard(mutex_);
    const auto found = shouldStop_.find(uuid);
    return found != shouldStop_.end() && found->second;
}

std::optional<bool> EarlyStopActor::remove(const platform::Uuid& uuid) {
    std::lock_guard guard(mutex_);
    const auto found = shouldStop_.find(uuid);
    if (found == shouldStop_.end()) return std::nullopt;
    const bool value = found->second;
    shouldStop_.erase(found);
    return value;
}

} // namespace pelluxcore
