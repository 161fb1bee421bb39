#pragma once
// One value a user-defaults store holds: a truth value, a 64-bit integer, a
// double, a text, bytes (data), or an array or dictionary of such values.

#include <cstdint>
#include <map>
#include <string>
#include <variant>
#include <vector>

namespace platform {

class DefaultsValue {
public:
    using Data = std::vector<std::uint8_t>;
    using Array = std::vector<DefaultsValue>;
    using Dictionary = std::map<std::string, DefaultsValue>;
    using Storage = std::variant<bool, std::int64_t, double, std::string, Data, Array, Dictionary>;

    // One constructor per kind, so that a literal never lands in the wrong
    // one (a text literal would otherwise convert to bool).
    DefaultsValue(bool value) : storage_(value) {}
    DefaultsValue(int value) : storage_(std::int64_t{value}) {}
    DefaultsValue(std::int64_t value) : storage_(value) {}
    DefaultsValue(double value) : storage_(value) {}
    DefaultsValue(const char* value) : storage_(std::string(value)) {}
    DefaultsValue(std::string value) : storage_(std::move(value)) {}
    DefaultsValue(Data value) : storage_(std::move(value)) {}
    DefaultsValue(Array value) : storage_(std::move(value)) {}
    DefaultsValue(Dictionary value) : storage_(std::move(value)) {}

    // The value when it holds exactly the kind T, else nullptr.
    template <typename T>
    const T* as() const {
        return std::get_if<T>(&storage_);
    }

    const Storage& storage() const { return storage_; }

    friend bool operator==(const DefaultsValue& left, const DefaultsValue& right);

private:
    Storage storage_;
};

} // namespace platform
