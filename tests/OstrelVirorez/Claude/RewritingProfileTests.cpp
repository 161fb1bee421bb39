#include "OstrelVirorez/Claude/RewritingProfile.hpp"
#include "OstrelVirorez/Claude/RewritingProfileList.hpp"
#include "OstrelVirorez/Claude/RewritingPrompts.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

using namespace ostrelvirorez;

RewritingProfile makeProfile(std::string name, std::vector<AppInfo> apps, bool isDefault = false) {
    RewritingProfile profile;
    profile.name = std::move(name);
    profile.assignedApps = std::move(apps);
    profile.isDefault = isDefault;
    return profile;
}

TEST(RewritingProfile, BuiltInProfilesInTheirOrderWithOnlyTheLastAsDefault) {
    const auto& profiles = RewritingProfile::defaults();
    std::vector<std::string> names;
    for (const auto& profile : profiles) names.push_back(profile.name);
    EXPECT_EQ(names, (std::vector<std::string>{"E-Mail", "Chat & Social", "Code & Tech", "Claude", "Notes & Research",
                                               "Writing", "Film & Post", "Default"}));
    for (std::size_t index = 0; index < profiles.size(); ++index) {
        EXPECT_EQ(profiles[index].isDefault, index == 7);
        EXPECT_TRUE(profiles[index].prompt.ends_with("\n" + RewritingPrompts::outputRulesBlock()));
    }
    EXPECT_EQ(profiles[3].assignedApps, (std::vector<AppInfo>{{"zar.anthropic.claudefordesktop", "Claude"}}));
    EXPECT_EQ(profiles[3].clipboardPrompt, RewritingPrompts::generalRewritePrompt());
    EXPECT_NE(profiles[3].prompt.find("numbered lists"), std::string::npos);
    EXPECT_EQ(profiles[0].assignedApps.front(), (AppInfo{"zar.apple.mail", "Mail"}));
    EXPECT_EQ(profiles[1].assignedApps.size(), 10u);
    EXPECT_EQ(&RewritingProfile::defaults(), &profiles);

    const auto& fallback = RewritingProfile::fallback();
    EXPECT_EQ(fallback.name, "Default");
    EXPECT_EQ(fallback.icon, "doc.text");
    EXPECT_TRUE(fallback.isDefault);
    EXPECT_TRUE(fallback.prompt.starts_with("Clean up the dictated text.\n\nRules:\n"));
    EXPECT_NE(fallback.id, profiles[7].id);
}

TEST(RewritingProfile, StoredFormWritesEveryKeyButAnAbsentEngine) {
    auto profile = makeProfile("Mail", {{"zar.apple.mail", "Mail"}});
    profile.id = *platform::Uuid::fromString("0f8fad5b-d9cb-469f-a165-70867728950e");
    nlohmann::json json = profile;
    EXPECT_EQ(json.at("id"), "0F8FAD5B-D9CB-469F-A165-70867728950E");
    EXPECT_FALSE(json.contains("preferredEngine"));
    for (const char* key : {"name", "prompt", "clipboardPrompt", "assignedApps", "icon", "isDefault", "triggerWords",
                            "includeClipboardContext", "includeWindowTitleContext"}) {
        EXPECT_TRUE(json.contains(key)) << key;
    }
    profile.preferredEngine = EngineType::hushframe;
    profile.triggerWords = {"mail"};
    profile.includeWindowTitleContext = true;
    json = profile;
    EXPECT_EQ(json.at("preferredEngine"), "hushframe");
    EXPECT_EQ(json.get<RewritingProfile>(), profile);
}

TEST(RewritingProfile, MissingOptionalKeysReadAsTheirDefaultsAndMissingRequiredKeysFail) {
    const auto minimal = nlohmann::json::parse(R"({"id":"0F8FAD5B-D9CB-469F-A165-70867728950E","name":"N",
        "prompt":"P","assignedApps":[],"icon":"doc.text","isDefault":false})");
    const auto profile = minimal.get<RewritingProfile>();
    EXPECT_EQ(profile.clipboardPrompt, RewritingPrompts::generalRewritePrompt());
    EXPECT_EQ(profile.preferredEngine, std::nullopt);
    EXPECT_TRUE(profile.triggerWords.empty());
    EXPECT_FALSE(profile.includeClipboardContext);
    EXPECT_FALSE(profile.includeWindowTitleContext);

    for (const char* key : {"id", "name", "prompt", "assignedApps", "icon", "isDefault"}) {
        auto broken = minimal;
        broken.erase(key);
        EXPECT_ANY_THROW((void)broken.get<RewritingProfile>()) << key;
    }
    const std::pair<const char*, nlohmann::json> wrong[] = {
        {"id", "not-a-uuid"}, {"isDefault", 1}, {"preferredEngine", "Parakeet"}, {"triggerWords", "a"},
        {"assignedApps", nlohmann::json::array({{{"bundleIdentifier", "x"}}})}};
    for (const auto& [key, value] : wrong) {
        auto broken = minimal;
        broken[key] = value;
        EXPECT_ANY_THROW((void)broken.get<RewritingProfile>()) << key;
    }
}

TEST(RewritingProfileList, ProfileForAnApplication) {
    const std::vector<RewritingProfile> profiles{
        makeProfile("First", {{"a.one", "One"}, {"a.shared", "Shared"}}),
        makeProfile("Default A", {}, true),
        makeProfile("Second", {{"a.shared", "Shared again"}, {"a.two", "Two"}}),
        makeProfile("Default B", {}, true),
    };
    const struct {
        const char* bundleIdentifier;
        const char* expected;
    } cases[] = {{"a.one", "First"}, {"a.shared", "First"}, {"a.two", "Second"}, {"A.ONE", "Default A"},
                 {"unknown", "Default A"}, {"", "Default A"}};
    for (const auto& entry : cases) EXPECT_EQ(profile(profiles, entry.bundleIdentifier).name, entry.expected);

    const std::vector<RewritingProfile> withoutDefault{makeProfile("Only", {{"a.one", "One"}})};
    EXPECT_EQ(profile(withoutDefault, "x").id, RewritingProfile::fallback().id);
    EXPECT_EQ(profile({}, "x").name, "Default");
}

TEST(RewritingProfileList, AssignAppMovesTheApplicationToExactlyOneProfile) {
    std::vector<RewritingProfile> profiles{
        makeProfile("First", {{"a.one", "One"}, {"a.two", "Two"}, {"a.three", "Three"}}),
        makeProfile("Second", {{"a.two", "Two again"}}),
    };
    assignApp(profiles, {"a.two", "Renamed"}, profiles[0].id);
    EXPECT_EQ(profiles[0].assignedApps,
              (std::vector<AppInfo>{{"a.one", "One"}, {"a.three", "Three"}, {"a.two", "Renamed"}}));
    EXPECT_TRUE(profiles[1].assignedApps.empty());

    assignApp(profiles, {"a.one", "One"}, platform::Uuid());
    EXPECT_EQ(profiles[0].assignedApps, (std::vector<AppInfo>{{"a.three", "Three"}, {"a.two", "Renamed"}}));
    EXPECT_TRUE(profiles[1].assignedApps.empty());
}

TEST(RewritingProfileList, UpdateProfileChangesOnlyTheProfileWithThatId) {
    std::vector<RewritingProfile> profiles{makeProfile("First", {}), makeProfile("Second", {}), makeProfile("Third", {})};
    const auto second = profiles[1].id;
    // The list changes under an editor that read "Second" at position 1.
    profiles.erase(profiles.begin());
    EXPECT_TRUE(updateProfile(profiles, second, [](RewritingProfile& edited) { edited.name = "Edited"; }));
    EXPECT_EQ(profiles[0].name, "Edited");
    EXPECT_EQ(profiles[0].id, second);
    EXPECT_EQ(profiles[1].name, "Third");

    // A removed profile is not recreated and no other profile takes the edit.
    const auto before = profiles;
    EXPECT_FALSE(updateProfile(profiles, platform::Uuid(), [](RewritingProfile& edited) { edited.name = "Lost"; }));
    EXPECT_EQ(profiles, before);

    // The change cannot move the edit onto another identity.
    EXPECT_TRUE(updateProfile(profiles, second, [&](RewritingProfile& edited) { edited = before[1]; }));
    EXPECT_EQ(profiles[0].id, second);
    EXPECT_EQ(profiles[0].name, "Third");
    EXPECT_EQ(profiles[1], before[1]);
}

} // namespace
