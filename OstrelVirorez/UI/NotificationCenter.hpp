#pragma once
// Named notifications without payload: post(name) calls every observer of
// that name synchronously on the posting thread; a name nobody observes has
// no effect. Observers stay registered while they hold their Connection.

#include "Platform/Core/Signal.hpp"

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace ostrelvirorez {

class NotificationCenter {
public:
    using Handler = std::function<void()>;

    NotificationCenter() = default;
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    // The process's shared centre, made on first use.
    static NotificationCenter& defaultCenter();

    void post(std::string_view name) const;
    [[nodiscard]] platform::Connection observe(std::string_view name, Handler handler);
    std::size_t observerCount(std::string_view name) const;

private:
    using Channel = platform::Signal<>;

    std::shared_ptr<Channel> channel(std::string_view name) const;

    mutable std::mutex mutex_;
    std::map<std::string, std::shared_ptr<Channel>, std::less<>> channels_;
};

} // namespace ostrelvirorez
