#include "OstrelVirorez/UI/NotificationCenter.hpp"

#include <utility>

namespace ostrelvirorez {

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

void NotificationCenter::post(std::string_view name) const {
    if (const auto found = channel(name)) found->emit();
}

platform::Connection NotificationCenter::observe(std::string_view name, Handler handler) {
    std::shared_ptr<Channel> target;
    {
        std::lock_guard lock(mutex_);
        auto found = channels_.find(name);
        if (found == channels_.end()) found = channels_.emplace(std::string(name), std::make_shared<Channel>()).first;
        target = found->second;
    }
    return target->connect([handler = std::move(handler)] { handler(); });
}

std::size_t NotificationCenter::observerCount(std::string_view name) const {
    const auto found = channel(name);
    return found ? found->connectionCount() : 0;
}

std::shared_ptr<NotificationCenter::Channel> NotificationCenter::channel(std::string_view name) const {
    std::lock_guard lock(mutex_);
    const auto found = channels_.find(name);
    return found == channels_.end() ? nullptr : found->second;
}

} // namespace ostrelvirorez
