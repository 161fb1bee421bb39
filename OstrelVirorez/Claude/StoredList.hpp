#pragma once
// User lists stored as one JSON array in a data value. They are decoded
// element by element, so that one unreadable element costs only itself, and
// a stored value that could not be read in full is kept aside before anything
// replaces it.

#include "Platform/Defaults/DefaultsValue.hpp"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace platform {
class UserDefaults;
}

namespace ostrelvirorez {

template <typename T>
struct DecodedList {
    std::vector<T> elements;
    std::size_t skipped = 0;
};

// The elements that decode, and how many did not; nullopt when the data is
// not a JSON array at all.
template <typename T>
std::optional<DecodedList<T>> decodeStoredList(const platform::DefaultsValue::Data& data) {
    const auto document = nlohmann::json::parse(data.begin(), data.end(), nullptr, false);
    if (document.is_discarded() || !document.is_array()) return std::nullopt;
    DecodedList<T> list;
    for (const auto& element : document) {
        try {
            list.elements.push_back(element.get<T>());
        } catch (const std::exception&) {
            ++list.skipped;
        }
    }
    return list;
}

// "<key>.unreadable": an array of the raw values that could not be read in full.
std::string unreadableKey(const std::string& key);

// Adds the raw value under unreadableKey(key) unless it is there already.
void keepUnreadable(platform::UserDefaults& defaults, const std::string& key, const platform::DefaultsValue::Data& data);

} // namespace ostrelvirorez
