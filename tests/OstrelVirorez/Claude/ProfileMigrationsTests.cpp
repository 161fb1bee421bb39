#include "OstrelVirorez/Claude/ProfileMigrations.hpp"
#include "OstrelVirorez/Claude/RewritingProfileStore.hpp"
#include "OstrelVirorez/Claude/RewritingPrompts.hpp"
#include "Platform/Core/Logger.hpp"
#include "Platform/Defaults/UserDefaults.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

using namespace ostrelvirorez;
using Data = platform::DefaultsValue::Data;

class ProfileMigrationsTest : public ::testing::Test {
protected:
    testsupport::TemporaryDirectory folder;
    platform::UserDefaults defaults{folder / "defaults.json"};
    RewritingProfileStore store{defaults};
    ProfileMigrations migrations{defaults, store};
    platform::ScopedLogCapture log;

    void setData(const std::string& key, const nlohmann::json& json) {
        const auto text = json.dump();
        defaults.set(key, Data(text.begin(), text.end()));
    }
    // What a later start reads from user defaults.
    std::vector<RewritingProfile> storedProfiles() { return RewritingProfileStore(defaults).rewritingProfiles(); }

    static nlohmann::json promptTemplate(const std::string& bundleIdentifier, const std::string& name, bool enabled) {
        return {{"id", platform::Uuid().toString()}, {"appBundleIdentifier", bundleIdentifier}, {"appName", name},
                {"instruction", "old"}, {"isEnabled", enabled}};
    }
    static RewritingProfile profileNamed(const std::string& name, std::string prompt, std::string clipboardPrompt) {
        RewritingProfile profile;
        profile.name = name;
        profile.prompt = std::move(prompt);
        profile.clipboardPrompt = std::move(clipboardPrompt);
        profile.icon = "doc.text";
        return profile;
    }
    void runAll() {
        migrations.migrateTemplatesIfNeeded();
        migrations.migrateOutputRulesIfNeeded();
        migrations.migrateClaudeProfileIfNeeded();
        migrations.migrateClaudePromptV3IfNeeded();
    }
};

TEST_F(ProfileMigrationsTest, FreshInstallationOnlySetsTheFlags) {
    runAll();
    EXPECT_FALSE(defaults.contains("rewritingProfiles"));
    for (const char* flag : {"profilesMigratedV2", "profilesMigratedClaudeV2", "profilesMigratedClaudePromptV3"}) {
        EXPECT_EQ(defaults.boolValue(flag), true) << flag;
    }
    EXPECT_TRUE(log.sink().messages().empty());
}

TEST_F(ProfileMigrationsTest, EnabledTemplatesMoveTheirApplicationsToTheDefaultProfile) {
    setData("promptTemplates", nlohmann::json::array({promptTemplate("zar.apple.mail", "Apple Mail", true),
                                                      promptTemplate("other.app", "Other", false)}));
    migrations.migrateTemplatesIfNeeded();

    const auto profiles = storedProfiles();
    ASSERT_EQ(profiles.size(), 8u);
    EXPECT_EQ(profiles[0].assignedApps.size(), 3u);
    EXPECT_EQ(profiles[7].assignedApps, (std::vector<AppInfo>{{"zar.apple.mail", "Apple Mail"}}));
    EXPECT_EQ(profiles[0].id, RewritingProfile::defaults()[0].id);
    EXPECT_FALSE(defaults.contains("promptTemplates"));
    EXPECT_TRUE(log.contains("Migrated 2 templates to rewriting profiles"));

    // A stored list stops the move for good.
    setData("promptTemplates", nlohmann::json::array({promptTemplate("x.app", "X", true)}));
    migrations.migrateTemplatesIfNeeded();
    EXPECT_TRUE(defaults.contains("promptTemplates"));
}

TEST_F(ProfileMigrationsTest, UnreadableTemplatesStayStoredAndReadableOnesMoveWithTheRawValueKeptAside) {
    defaults.set("promptTemplates", Data{'x'});
    migrations.migrateTemplatesIfNeeded();
    EXPECT_FALSE(defaults.contains("rewritingProfiles"));
    EXPECT_TRUE(defaults.contains("promptTemplates"));
    EXPECT_TRUE(log.sink().messages().empty());

    auto broken = promptTemplate("broken.app", "Broken", true);
    broken.erase("instruction");
    const auto raw = nlohmann::json::array({promptTemplate("zar.apple.mail", "Mail", true), broken});
    setData("promptTemplates", raw);
    migrations.migrateTemplatesIfNeeded();
    EXPECT_EQ(storedProfiles()[7].assignedApps, (std::vector<AppInfo>{{"zar.apple.mail", "Mail"}}));
    const auto kept = defaults.arrayValue("promptTemplates.unreadable");
    ASSERT_TRUE(kept);
    const auto& keptData = *kept->front().as<Data>();
    EXPECT_EQ(std::string(keptData.begin(), keptData.end()), raw.dump());
    EXPECT_TRUE(log.contains("Migrated 1 templates to rewriting profiles"));
    EXPECT_TRUE(log.contains("Skipped 1 unreadable templates"));
}

TEST_F(ProfileMigrationsTest, OutputRulesAreAppendedToEachTextThatLacksThemOnce) {
    const auto block = "\n" + RewritingPrompts::outputRulesBlock();
    store.setRewritingProfiles({profileNamed("A", "Prompt\nOUTPUT RULES: mine", "Clip"),
                                profileNamed("B", "Prompt", "Clip OUTPUT RULES:")});
    migrations.migrateOutputRulesIfNeeded();
    auto profiles = storedProfiles();
    EXPECT_EQ(profiles[0].prompt, "Prompt\nOUTPUT RULES: mine");
    EXPECT_EQ(profiles[0].clipboardPrompt, "Clip" + block);
    EXPECT_EQ(profiles[1].prompt, "Prompt" + block);
    EXPECT_EQ(profiles[1].clipboardPrompt, "Clip OUTPUT RULES:");
    EXPECT_TRUE(log.contains("Migrated 2 profiles: appended OUTPUT RULES"));

    store.setRewritingProfiles({profileNamed("C", "Plain", "Plain")});
    migrations.migrateOutputRulesIfNeeded();
    EXPECT_EQ(storedProfiles()[0].prompt, "Plain");
}

TEST_F(ProfileMigrationsTest, DedicatedClaudeProfileIsAddedOnlyWhenNoneIsNamedSo) {
    auto code = profileNamed("Code & Tech", "p", "c");
    code.assignedApps = {{"zar.apple.Terminal", "Terminal"}, {"zar.anthropic.claudefordesktop", "Claude"}};
    store.setRewritingProfiles({code, profileNamed("claude", "p", "c")});
    migrations.migrateClaudeProfileIfNeeded();

    const auto profiles = storedProfiles();
    ASSERT_EQ(profiles.size(), 3u);
    EXPECT_EQ(profiles[0].assignedApps, (std::vector<AppInfo>{{"zar.apple.Terminal", "Terminal"}}));
    EXPECT_EQ(profiles[2], RewritingProfile::defaults()[3]);
    EXPECT_TRUE(log.contains("Migrated: added dedicated 'Claude' rewriting profile"));

    defaults.remove("profilesMigratedClaudeV2");
    log.sink().clear();
    migrations.migrateClaudeProfileIfNeeded();
    EXPECT_EQ(storedProfiles().size(), 3u);
    EXPECT_EQ(defaults.boolValue("profilesMigratedClaudeV2"), true);
    EXPECT_TRUE(log.sink().messages().empty());
}

TEST_F(ProfileMigrationsTest, ClaudePromptsAskingForNumberedListsAreReplaced) {
    store.setRewritingProfiles({profileNamed("Claude", "Use a numbered list.", "numbered list please"),
                                profileNamed("Other", "numbered list", "numbered list"),
                                profileNamed("Claude", RewritingProfile::defaults()[3].prompt, "fine")});
    migrations.migrateClaudePromptV3IfNeeded();
    const auto profiles = storedProfiles();
    EXPECT_EQ(profiles[0].prompt, RewritingProfile::defaults()[3].prompt);
    EXPECT_EQ(profiles[0].clipboardPrompt, RewritingPrompts::generalRewritePrompt());
    EXPECT_EQ(profiles[1].prompt, "numbered list");
    EXPECT_EQ(profiles[2].prompt, RewritingProfile::defaults()[3].prompt);
    EXPECT_EQ(profiles[2].clipboardPrompt, "fine");
    EXPECT_TRUE(log.contains("Migrated: 'Claude' profile prompt updated to non-list v0.9.8"));
}

TEST_F(ProfileMigrationsTest, UnreadableStoredListIsKeptAsideBeforeARepairWritesTheBuiltInProfiles) {
    defaults.set("rewritingProfiles", Data{'[', '1', ']'});
    migrations.migrateOutputRulesIfNeeded();
    EXPECT_EQ(storedProfiles().size(), 8u);
    const auto kept = defaults.arrayValue("rewritingProfiles.unreadable");
    ASSERT_TRUE(kept);
    EXPECT_EQ(*kept->front().as<Data>(), (Data{'[', '1', ']'}));
}

} // namespace
