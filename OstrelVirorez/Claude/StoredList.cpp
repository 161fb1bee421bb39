#include "OstrelVirorez/Claude/StoredList.hpp"

#include "Platform/Defaults/UserDefaults.hpp"

#include <algorithm>

namespace ostrelvirorez {

std::string unreadableKey(const std::string& key) {
    return key + ".unreadable";
}

void keepUnreadable(platform::UserDefaults& defaults, const std::string& key, const platform::DefaultsValue::Data& data) {
    const auto backupKey = unreadableKey(key);
    auto kept = defaults.arrayValue(backupKey).value_or(platform::DefaultsValue::Array{});
    const platform::DefaultsValue raw(data);
    if (std::ranges::find(kept, raw) != kept.end()) return;
    kept.push_back(raw);
    defaults.set(backupKey, platform::DefaultsValue(std::move(kept)));
}

} // namespace ostrelvirorez
