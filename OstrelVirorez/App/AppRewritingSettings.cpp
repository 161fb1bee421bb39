#include "OstrelVirorez/App/AppRewritingSettings.hpp"

#include "OstrelVirorez/Model/AppSettings.hpp"

namespace ostrelvirorez {

const std::vector<RewritingProfile>& AppRewritingSettings::rewritingProfiles() {
    return settings_.rewritingProfiles();
}

std::string AppRewritingSettings::claudeModel() const {
    return settings_.claudeModel();
}

bool AppRewritingSettings::backtrackEnabled() const {
    return settings_.backtrackEnabled();
}

RewriteProvider AppRewritingSettings::rewriteProvider() const {
    return settings_.rewriteProvider();
}

} // namespace ostrelvirorez
