#pragma once
// Settings for rewriter tests, with a count of profile-list reads.

#include "OstrelVirorez/Claude/RewritingSettings.hpp"

namespace testsupport {

class FakeRewritingSettings : public ostrelvirorez::RewritingSettings {
public:
    std::vector<ostrelvirorez::RewritingProfile> profiles = ostrelvirorez::RewritingProfile::defaults();
    std::string model = "claude-sonnet-5";
    bool backtrack = false;
    ostrelvirorez::RewriteProvider provider = ostrelvirorez::RewriteProvider::claude;
    int profileReads = 0;

    const std::vector<ostrelvirorez::RewritingProfile>& rewritingProfiles() override {
        ++profileReads;
        return profiles;
    }
    std::string claudeModel() const override { return model; }
    bool backtrackEnabled() const override { return backtrack; }
    ostrelvirorez::RewriteProvider rewriteProvider() const override { return provider; }
};

} // namespace testsupport
