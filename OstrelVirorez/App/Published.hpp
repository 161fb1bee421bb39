#pragma once
// A published property of a main-queue object: every assignment, also of an
// equal value, notifies the observers synchronously.

#include "Platform/Core/Signal.hpp"

#include <functional>
#include <utility>

namespace ostrelvirorez {

template <typename T>
class Published {
public:
    explicit Published(T initial = T{}) : value_(std::move(initial)) {}
    Published(const Published&) = delete;
    Published& operator=(const Published&) = delete;

    const T& get() const { return value_; }
    void set(T value) {
        value_ = std::move(value);
        assigned_.emit(value_);
    }
    [[nodiscard]] platform::Connection observe(std::function<void(const T&)> slot) {
        return assigned_.connect(std::move(slot));
    }

private:
    T value_;
    platform::Signal<T> assigned_;
};

} // namespace ostrelvirorez
