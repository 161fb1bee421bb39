#pragma once
// A weak reference that may be handed to other threads: it never keeps its
// object alive, and reading and replacing it are atomic.

#include <atomic>
#include <memory>

namespace pelluxcore {

template <typename Value>
class WeakSendableWrapper {
public:
    explicit WeakSendableWrapper(const std::shared_ptr<Value>& value = nullptr) : value_(std::weak_ptr<Value>(value)) {}

    // The object while it lives, else null.
    std::shared_ptr<Value> value() const { return value_.load().lock(); }
    void setValue(const std::shared_ptr<Value>& value) { value_.store(std::weak_ptr<Value>(value)); }

private:
    std::atomic<std::weak_ptr<Value>> value_;
};

} // namespace pelluxcore
