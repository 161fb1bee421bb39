#pragma once
// A published event: observers connect a function and stay connected while
// they hold the returned Connection. Emission is synchronous on the emitting
// thread; slots run outside the signal's lock, so a slot may connect,
// disconnect or emit again. Owners that promise delivery on a queue post the
// emission there.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace platform {

class Connection {
public:
    Connection() = default;
    explicit Connection(std::function<void()> disconnect) : disconnect_(std::move(disconnect)) {}
    ~Connection() { disconnect(); }
    Connection(Connection&& other) noexcept : disconnect_(std::exchange(other.disconnect_, {})) {}
    Connection& operator=(Connection&& other) noexcept {
        if (this != &other) {
            disconnect();
            disconnect_ = std::exchange(other.disconnect_, {});
        }
        return *this;
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void disconnect() {
        if (disconnect_) std::exchange(disconnect_, {})();
    }
    bool connected() const { return static_cast<bool>(disconnect_); }

private:
    std::function<void()> disconnect_;
};

template <typename... Args>
class Signal {
public:
    using Slot = std::function<void(const Args&...)>;

    Signal() : state_(std::make_shared<State>()) {}
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;

    [[nodiscard]] Connection connect(Slot slot) {
        std::lock_guard lock(state_->mutex);
        const auto id = state_->nextId++;
        state_->slots.emplace(id, std::make_shared<Slot>(std::move(slot)));
        return Connection([weak = std::weak_ptr<State>(state_), id] {
            if (const auto state = weak.lock()) {
                std::lock_guard lock(state->mutex);
                state->slots.erase(id);
            }
        });
    }

    void emit(const Args&... args) const {
        std::vector<std::pair<std::uint64_t, std::shared_ptr<Slot>>> current;
        {
            std::lock_guard lock(state_->mutex);
            current.assign(state_->slots.begin(), state_->slots.end());
        }
        for (const auto& [id, slot] : current) {
            if (stillConnected(id)) (*slot)(args...);
        }
    }

    size_t connectionCount() const {
        std::lock_guard lock(state_->mutex);
        return state_->slots.size();
    }

private:
    struct State {
        std::mutex mutex;
        std::map<std::uint64_t, std::shared_ptr<Slot>> slots;
        std::uint64_t nextId = 0;
    };

    bool stillConnected(std::uint64_t id) const {
        std::lock_guard lock(state_->mutex);
        return state_->slots.contains(id);
    }

    std::shared_ptr<State> state_;
};

// A published value: reading is thread-safe, and every set() that changes the
// value emits the new value.
template <typename T>
class Observable {
public:
    explicit Observable(T initial = T{}) : value_(std::move(initial)) {}

    T get() const {
        std::lock_guard lock(mutex_);
        return value_;
    }

    void set(T value) {
        {
            std::lock_guard lock(mutex_);
            if (value_ == value) return;
            value_ = value;
        }
        changed_.emit(value);
    }

    [[nodiscard]] Connection observe(std::function<void(const T&)> slot) { return changed_.connect(std::move(slot)); }

private:
    mutable std::mutex mutex_;
    T value_;
    Signal<T> changed_;
};

} // namespace platform
