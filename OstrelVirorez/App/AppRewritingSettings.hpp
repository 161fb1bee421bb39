#pragma once
// The settings store as the rewriters read it.

#include "OstrelVirorez/Claude/RewritingSettings.hpp"

namespace ostrelvirorez {

class AppSettings;

class AppRewritingSettings final : public RewritingSettings {
public:
    explicit AppRewritingSettings(AppSettings& settings) : settings_(settings) {}

    const std::vector<RewritingProfile>& rewritingProfiles() override;
    std::string claudeModel() const override;
    bool backtrackEnabled() const override;
    RewriteProvider rewriteProvider() const override;

private:
    AppSettings& settings_;
};

} // namespace ostrelvirorez
