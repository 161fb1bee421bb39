#include "OstrelVirorez/Claude/ProfileMigrations.hpp"

#include "OstrelVirorez/App/Log.hpp"
#include "OstrelVirorez/Claude/PromptTemplate.hpp"
#include "OstrelVirorez/Claude/RewritingProfileList.hpp"
#include "OstrelVirorez/Claude/RewritingProfileStore.hpp"
#include "OstrelVirorez/Claude/RewritingPrompts.hpp"
#include "OstrelVirorez/Claude/StoredList.hpp"
#include "Platform/Defaults/UserDefaults.hpp"

#include <algorithm>

namespace ostrelvirorez {
namespace {

constexpr const char* templatesKey = "promptTemplates";
constexpr const char* claudeBundleIdentifier = "zar.anthropic.claudefordesktop";

const RewritingProfile* builtInClaudeProfile() {
    const auto& defaults = RewritingProfile::defaults();
    const auto found = std::ranges::find(defaults, std::string("Claude"), &RewritingProfile::name);
    return found == defaults.end() ? nullptr : &*found;
}

bool contains(const std::string& text, std::string_view fragment) {
    return text.find(fragment) != std::string::npos;
}

} // namespace

ProfileMigrations::ProfileMigrations(platform::UserDefaults& defaults, RewritingProfileStore& profiles)
    : defaults_(defaults), profiles_(profiles) {}

bool ProfileMigrations::claimFlag(const char* flag) {
    if (defaults_.boolOrFalse(flag)) return false;
    defaults_.set(flag, true);
    return true;
}

void ProfileMigrations::migrateTemplatesIfNeeded() {
    if (profiles_.hasStoredProfiles()) return;
    const auto data = defaults_.dataValue(templatesKey);
    if (!data) return;
    const auto templates = decodeStoredList<PromptTemplate>(*data);
    // Nothing readable: the legacy data stays for a later version to read.
    if (!templates || (templates->elements.empty() && templates->skipped > 0)) return;

    auto profiles = RewritingProfile::defaults();
    for (const auto& promptTemplate : templates->elements) {
        if (!promptTemplate.isEnabled) continue;
        const auto target = std::ranges::find_if(profiles, &RewritingProfile::isDefault);
        if (target == profiles.end()) continue;
        assignApp(profiles, AppInfo{promptTemplate.appBundleIdentifier, promptTemplate.appName}, target->id);
    }
    profiles_.setRewritingProfiles(std::move(profiles));
    if (templates->skipped > 0) {
        defaults_.keepUnreadable(templatesKey, std::to_string(templates->skipped) + " templates do not decode");
        logVirorez("Skipped " + std::to_string(templates->skipped) +
                     " unreadable templates; the stored data is kept under \"" +
                     platform::UserDefaults::unreadableKey(templatesKey) + "\"");
    }
    defaults_.remove(templatesKey);
    logVirorez("Migrated " + std::to_string(templates->elements.size()) + " templates to rewriting profiles");
}

void ProfileMigrations::migrateOutputRulesIfNeeded() {
    if (!claimFlag("profilesMigratedV2")) return;
    if (!profiles_.hasStoredProfiles()) return;
    auto profiles = profiles_.rewritingProfiles();
    const auto block = "\n" + RewritingPrompts::outputRulesBlock();
    for (auto& profile : profiles) {
        if (!contains(profile.prompt, "OUTPUT RULES:")) profile.prompt += block;
        if (!contains(profile.clipboardPrompt, "OUTPUT RULES:")) profile.clipboardPrompt += block;
    }
    const auto count = profiles.size();
    profiles_.setRewritingProfiles(std::move(profiles));
    logVirorez("Migrated " + std::to_string(count) + " profiles: appended OUTPUT RULES");
}

void ProfileMigrations::migrateClaudeProfileIfNeeded() {
    if (!claimFlag("profilesMigratedClaudeV2")) return;
    if (!profiles_.hasStoredProfiles()) return;
    auto profiles = profiles_.rewritingProfiles();
    if (std::ranges::find(profiles, std::string("Claude"), &RewritingProfile::name) != profiles.end()) return;
    const auto* claude = builtInClaudeProfile();
    if (claude == nullptr) return;
    for (auto& profile : profiles) {
        std::erase_if(profile.assignedApps,
                      [](const AppInfo& app) { return app.bundleIdentifier == claudeBundleIdentifier; });
    }
    profiles.push_back(*claude);
    profiles_.setRewritingProfiles(std::move(profiles));
    logVirorez("Migrated: added dedicated 'Claude' rewriting profile");
}

void ProfileMigrations::migrateClaudePromptV3IfNeeded() {
    if (!claimFlag("profilesMigratedClaudePromptV3")) return;
    if (!profiles_.hasStoredProfiles()) return;
    const auto* claude = builtInClaudeProfile();
    if (claude == nullptr) return;
    auto profiles = profiles_.rewritingProfiles();
    bool replaced = false;
    for (auto& profile : profiles) {
        if (profile.name != "Claude") continue;
        if (contains(profile.prompt, "numbered list")) {
            profile.prompt = claude->prompt;
            replaced = true;
        }
        if (contains(profile.clipboardPrompt, "numbered list")) {
            profile.clipboardPrompt = RewritingPrompts::generalRewritePrompt();
            replaced = true;
        }
    }
    if (!replaced) return;
    profiles_.setRewritingProfiles(std::move(profiles));
    logVirorez("Migrated: 'Claude' profile prompt updated to non-list v0.9.8");
}

} // namespace ostrelvirorez
