#pragma once
// User lists stored as one JSON array in a data value. They are decoded
// element by element, so that one unreadable element costs only itself, and
// a stored value that could not be read in full is kept aside before anything
// replaces it.

#include "OstrelVirorez/App/Log.hpp"
#include "Platform/Defaults/DefaultsValue.hpp"
#include "Platform/Defaults/UserDefaults.hpp"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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

// Writes the list under `key`; a list that cannot be encoded is not written.
template <typename T>
void storeList(platform::UserDefaults& defaults, const std::string& key, const std::vector<T>& elements) {
    std::vector<std::uint8_t> bytes;
    try {
        const auto text = nlohmann::json(elements).dump();
        bytes.assign(text.begin(), text.end());
    } catch (const nlohmann::json::exception&) {
        return;
    }
    defaults.set(key, platform::DefaultsValue(std::move(bytes)));
}

// The list stored under `key`. With nothing stored the fallback is stored and
// returned. Otherwise the readable elements are returned, or the fallback
// when none is; a value not read in full (of another kind, not a JSON array,
// or with elements that do not decode) is kept under "<key>.unreadable"
// before anything can replace it, and logged as "<owner>: ... stored <noun> ...".
template <typename T>
std::vector<T> loadStoredList(platform::UserDefaults& defaults, const std::string& key, const std::vector<T>& fallback,
                              const std::string& owner, const std::string& noun) {
    if (!defaults.hasWrittenValue(key)) {
        storeList(defaults, key, fallback);
        return fallback;
    }
    const auto data = defaults.dataValue(key);
    const auto list = data ? decodeStoredList<T>(*data) : std::nullopt;
    if (list && list->skipped == 0) return list->elements;
    // Whatever could not be read stays stored aside, so that no later save
    // loses the user's list; the elements that could be read are kept.
    const std::string keptUnder = platform::UserDefaults::unreadableKey(key);
    defaults.keepUnreadable(key, list ? std::to_string(list->skipped) + " " + noun + " do not decode"
                                      : (data ? "not a JSON array of " + noun : "not data"));
    if (list && !list->elements.empty()) {
        logVirorez(owner + ": skipped " + std::to_string(list->skipped) + " unreadable stored " + noun + "; kept " +
                   std::to_string(list->elements.size()) + ", the stored value is kept under \"" + keptUnder + "\"");
        return list->elements;
    }
    logVirorez(owner + ": stored " + noun + " are unreadable; using the defaults, the stored value is kept under \"" +
               keptUnder + "\"");
    return fallback;
}

} // namespace ostrelvirorez
