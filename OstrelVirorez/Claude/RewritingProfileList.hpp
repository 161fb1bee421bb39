#pragma once
// Lookups and changes on a list of rewriting profiles: which profile applies
// to an application, and moving an application to a profile.

#include "OstrelVirorez/Claude/RewritingProfile.hpp"

#include <functional>
#include <string_view>
#include <vector>

namespace ostrelvirorez {

// The first profile listing the application (exact bundle identifier), else
// the first default profile, else RewritingProfile::fallback().
RewritingProfile profile(const std::vector<RewritingProfile>& profiles, std::string_view bundleIdentifier);

// Removes the application (by bundle identifier) from every profile, then
// appends it to the first profile whose id is `to`, if there is one.
void assignApp(std::vector<RewritingProfile>& profiles, const AppInfo& app, const platform::Uuid& to);

// Applies `change` to the first profile whose id is `id`. A profile is found
// by its identity, never by a position that may have moved since it was
// read; when no profile has that id nothing changes and the result is false.
// The change cannot give the profile another id.
bool updateProfile(std::vector<RewritingProfile>& profiles, const platform::Uuid& id,
                   const std::function<void(RewritingProfile&)>& change);

} // namespace ostrelvirorez
