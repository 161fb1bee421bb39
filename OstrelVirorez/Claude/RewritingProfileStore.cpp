#include "OstrelVirorez/Claude/RewritingProfileStore.hpp"

#include "OstrelVirorez/App/Log.hpp"
#include "OstrelVirorez/Claude/StoredList.hpp"
#include "Platform/Defaults/UserDefaults.hpp"

#include <nlohmann/json.hpp>

namespace ostrelvirorez {

RewritingProfileStore::RewritingProfileStore(platform::UserDefaults& defaults) : defaults_(defaults) {}

const std::vector<RewritingProfile>& RewritingProfileStore::rewritingProfiles() {
    if (!rewritingProfilesCache_) rewritingProfilesCache_ = readStored();
    return *rewritingProfilesCache_;
}

std::vector<RewritingProfile> RewritingProfileStore::readStored() {
    if (!defaults_.hasWrittenValue(key)) return RewritingProfile::defaults();
    const auto data = defaults_.dataValue(key);
    const auto list = data ? decodeStoredList<RewritingProfile>(*data) : std::nullopt;
    if (list && list->skipped == 0) return list->elements;

    defaults_.keepUnreadable(key, list ? std::to_string(list->skipped) + " profiles do not decode"
                                       : (data ? "not a JSON array of profiles" : "not data"));
    const bool noneRead = !list || list->elements.empty();
    logVirorez("Rewriting profiles: " +
                 (list ? std::to_string(list->skipped) + " stored profile(s) unreadable and skipped"
                       : std::string("stored list unreadable")) +
                 (noneRead ? ", using the built-in profiles" : "") + "; the stored data is kept under \"" +
                 platform::UserDefaults::unreadableKey(key) + "\"");
    if (noneRead) return RewritingProfile::defaults();
    return list->elements;
}

void RewritingProfileStore::setRewritingProfiles(std::vector<RewritingProfile> profiles) {
    rewritingProfilesCache_ = std::move(profiles);
    try {
        const auto text = nlohmann::json(*rewritingProfilesCache_).dump();
        defaults_.set(key, platform::DefaultsValue(platform::DefaultsValue::Data(text.begin(), text.end())));
    } catch (const nlohmann::json::exception& error) {
        logVirorez(std::string("Rewriting profiles: list not stored, cannot be encoded: ") + error.what());
    }
    willChange_.emit();
}

bool RewritingProfileStore::hasStoredProfiles() const {
    return defaults_.dataValue(key).has_value();
}

} // namespace ostrelvirorez
