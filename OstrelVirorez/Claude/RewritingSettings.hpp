#pragma once
// The settings the rewriters read at the moment of each rewrite; the
// application's settings store provides them.

#include "OstrelVirorez/Claude/RewritingProfile.hpp"
#include "OstrelVirorez/Model/SettingEnums.hpp"

#include <string>
#include <vector>

namespace ostrelvirorez {

class RewritingSettings {
public:
    virtual ~RewritingSettings() = default;

    virtual const std::vector<RewritingProfile>& rewritingProfiles() = 0;
    virtual std::string claudeModel() const = 0;
    virtual bool backtrackEnabled() const = 0;
    virtual RewriteProvider rewriteProvider() const = 0;
};

} // namespace ostrelvirorez
