#pragma once
// A value guarded by its own lock, for record fields that several threads read
// and write. A copy holds its own copy of the value and shares the lock of the
// record it came from. In JSON it is exactly the bare value.

#include "PelluxCore/UnfairLock.hpp"

#include <nlohmann/json.hpp>

#include <memory>
#include <utility>

namespace pelluxcore {

template <typename Value>
class PropertyLock {
public:
    explicit PropertyLock(Value wrappedValue)
        : lock_(std::make_shared<UnfairLock>()), value_(std::move(wrappedValue)) {}

    PropertyLock(const PropertyLock& other) : lock_(other.lock_), value_(other.wrappedValue()) {}
    PropertyLock& operator=(const PropertyLock& other) {
        if (this != &other) {
            Value copy = other.wrappedValue();
            lock_ = other.lock_;
            setWrappedValue(std::move(copy));
        }
        return *this;
    }

    Value wrappedValue() const {
        return lock_->withLock([this] { return value_; });
    }

    void setWrappedValue(Value newValue) {
        lock_->withLock([&] { value_ = std::move(newValue); });
    }

    // Read, change and write back in one critical section, so concurrent
    // changes are never lost. The change must not touch this wrapper again.
    template <typename Change>
    void modify(Change&& change) {
        lock_->withLock([&] { change(value_); });
    }

    // Decodes the bare value; throws when it cannot be decoded. Any of the
    // library's JSON types serves (plain, or ordered for records whose keys
    // keep their field order).
    template <typename Json = nlohmann::json>
    static PropertyLock fromJson(const Json& json) {
        return PropertyLock(json.template get<Value>());
    }

    // Encodes the bare value while holding the lock.
    template <typename Json = nlohmann::json>
    Json toJson() const {
        return lock_->withLock([this] { return Json(value_); });
    }

private:
    std::shared_ptr<UnfairLock> lock_;
    Value value_;
};

} // namespace pelluxcore

// Decoding builds the wrapper from the bare value, as PropertyLock has no empty state.
template <typename Value>
struct nlohmann::adl_serializer<pelluxcore::PropertyLock<Value>> {
    template <typename Json>
    static pelluxcore::PropertyLock<Value> from_json(const Json& json) {
        return pelluxcore::PropertyLock<Value>::fromJson(json);
    }
    template <typename Json>
    static void to_json(Json& json, const pelluxcore::PropertyLock<Value>& property) {
        json = property.template toJson<Json>();
    }
};
