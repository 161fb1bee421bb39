#pragma once
// The stored list of rewriting profiles: one JSON array under the user-
// defaults key "rewritingProfiles", read once into memory and written whole
// after every change. The settings store holds one and announces its changes.

#include "OstrelVirorez/Claude/RewritingProfile.hpp"
#include "Platform/Core/Signal.hpp"

#include <optional>
#include <vector>

namespace platform {
class UserDefaults;
}

namespace ostrelvirorez {

class RewritingProfileStore {
public:
    static constexpr const char* key = "rewritingProfiles";

    explicit RewritingProfileStore(platform::UserDefaults& defaults);

    // The list in memory, else the stored one, else the built-in profiles.
    // Stored elements that cannot be read are skipped and logged; the stored
    // value is then kept under "rewritingProfiles.unreadable", so that the
    // next write cannot lose it. When no element can be read the built-in
    // profiles are used.
    const std::vector<RewritingProfile>& rewritingProfiles();

    // Replaces the list in memory and stores it; a list that cannot be
    // encoded stays in memory only. Announces the change either way.
    void setRewritingProfiles(std::vector<RewritingProfile> profiles);

    // Whether data is stored under "rewritingProfiles".
    bool hasStoredProfiles() const;

    // Fires after every write of the list, stored or not.
    platform::Signal<>& willChange() { return willChange_; }

private:
    std::vector<RewritingProfile> readStored();

    platform::UserDefaults& defaults_;
    std::optional<std::vector<RewritingProfile>> rewritingProfilesCache_;
    platform::Signal<> willChange_;
};

} // namespace ostrelvirorez
