#include "OstrelVirorez/Claude/RewritingPrompts.hpp"
#include "OstrelVirorez/UI/Rewriting/ProfileListModel.hpp"
#include "tests/OstrelVirorez/UI/Rewriting/RewritingFixture.hpp"

#include <gtest/gtest.h>

namespace ostrelvirorez::testing::rewritingtab {
namespace {

class ProfileListModelTest : public RewritingFixture {
protected:
    ProfileListModel model{settings};

    std::vector<std::string> storedNames() {
        std::vector<std::string> names;
        for (const auto& profile : storedProfiles()) names.push_back(profile.name);
        return names;
    }
};

TEST_F(ProfileListModelTest, EmptyListHasNoRowsAndAddCreatesTheFirstProfileSelected) {
    storeProfiles({});
    model.appear();
    EXPECT_TRUE(model.rows().empty());
    EXPECT_FALSE(model.selectedProfileID());
    EXPECT_FALSE(model.showsRemoveButton());

    model.addProfile();
    const auto stored = storedProfiles();
    ASSERT_EQ(stored.size(), 1u);
    const auto& added = stored[0];
    EXPECT_EQ(model.selectedProfileID(), added.id);
    EXPECT_FALSE(model.renamingProfileID());
    EXPECT_EQ(added.name, "New Profile");
    EXPECT_EQ(added.icon, "doc.text");
    EXPECT_TRUE(added.assignedApps.empty());
    EXPECT_FALSE(added.isDefault);
    EXPECT_FALSE(added.preferredEngine);
    EXPECT_TRUE(added.triggerWords.empty());
    EXPECT_FALSE(added.includeClipboardContext);
    EXPECT_FALSE(added.includeWindowTitleContext);
    EXPECT_EQ(added.prompt, ProfileListModel::defaultDictationPrompt());
    EXPECT_EQ(added.clipboardPrompt, RewritingPrompts::generalRewritePrompt());
    EXPECT_TRUE(model.showsRemoveButton());
    EXPECT_EQ(model.rows().front().subtitle, "0 apps");
}

TEST_F(ProfileListModelTest, DefaultPromptsAreTheGivenTexts) {
    const auto& dictation = ProfileListModel::defaultDictationPrompt();
    EXPECT_EQ(dictation.size(), 351u);
    EXPECT_EQ(dictation.rfind("Clean up the dictated text.\n\nRules:\n- Fix grammar and spelling.\n", 0), 0u);
    EXPECT_EQ(std::count(dictation.begin(), dictation.end(), '\n'), 10);
    EXPECT_EQ(dictation.substr(dictation.size() - 37), "\n- Always keep the original language.");
    const auto& clipboard = ProfileListModel::defaultClipboardPrompt();
    EXPECT_EQ(clipboard.size(), 523u);
    EXPECT_EQ(clipboard.rfind("Rewrite and improve the following text.\n\nRules:\n", 0), 0u);
    EXPECT_EQ(std::count(clipboard.begin(), clipboard.end(), '\n'), 13);
}

TEST_F(ProfileListModelTest, AddingAppendsAtTheEndAndDuplicateNamesAreKept) {
    const auto before = storeProfiles({profileNamed("A"), profileNamed("B")});
    model.appear();
    EXPECT_EQ(model.selectedProfileID(), before[0].id);
    model.addProfile();
    model.addProfile();
    EXPECT_EQ(storedNames(), (std::vector<std::string>{"A", "B", "New Profile", "New Profile"}));
    EXPECT_EQ(model.selectedProfileID(), storedProfiles().back().id);
}

TEST_F(ProfileListModelTest, RowsShowDefaultOrTheAppCount) {
    struct Case {
        const char* name;
        RewritingProfile profile;
        std::string subtitle;
        bool canDelete;
    };
    const std::vector<Case> cases{
        {"no apps", profileNamed("none"), "0 apps", true},
        {"one app", profileNamed("one", {{"a.one", "One"}}), "1 app", true},
        {"two apps", profileNamed("two", {{"a.one", "One"}, {"a.two", "Two"}}), "2 apps", true},
        {"default with apps", profileNamed("def", {{"a.one", "One"}}, true), "default", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto row = model.sidebarRow(c.profile);
        EXPECT_EQ(row.subtitle, c.subtitle);
        EXPECT_EQ(row.canDelete, c.canDelete);
        EXPECT_EQ(row.name, c.profile.name);
    }
}

TEST_F(ProfileListModelTest, DeletingMovesTheSelectionToTheFirstRemainingProfile) {
    const auto profiles = storeProfiles({profileNamed("A"), profileNamed("B"), profileNamed("C")});
    model.click(profiles[2].id);
    // Deleting an unselected profile also selects the first one.
    model.deleteProfile(profiles[1].id);
    EXPECT_EQ(storedNames(), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(model.selectedProfileID(), profiles[0].id);

    model.deleteProfile(profiles[0].id);
    EXPECT_EQ(model.selectedProfileID(), profiles[2].id);
    model.removeSelected();
    EXPECT_TRUE(storedProfiles().empty());
    EXPECT_FALSE(model.selectedProfileID());
    EXPECT_FALSE(model.selectedProfile());
}

TEST_F(ProfileListModelTest, DeletingAnUnknownIdStillWritesTheListBack) {
    EXPECT_FALSE(defaults.contains("rewritingProfiles"));
    model.deleteProfile(platform::Uuid());
    EXPECT_EQ(storedProfiles(), RewritingProfile::defaults());
    EXPECT_EQ(model.selectedProfileID(), RewritingProfile::defaults().front().id);
}

TEST_F(ProfileListModelTest, DefaultProfileHasNoRemoveButtonButCanBeRenamedAndGivenAnIcon) {
    const auto profiles = storeProfiles({profileNamed("Default", {}, true), profileNamed("Mine")});
    model.appear();
    EXPECT_FALSE(model.showsRemoveButton());
    model.removeSelected();
    EXPECT_EQ(storedProfiles().size(), 2u);

    model.rename(profiles[0].id, "Standard");
    model.setIcon(profiles[0].id, "star.fill");
    EXPECT_EQ(storedProfiles()[0].name, "Standard");
    EXPECT_EQ(storedProfiles()[0].icon, "star.fill");

    model.click(profiles[1].id);
    EXPECT_TRUE(model.showsRemoveButton());
}

TEST_F(ProfileListModelTest, RenamingStartsWithRenameAndEndsWithReturnOrAClick) {
    const auto profiles = storeProfiles({profileNamed("A"), profileNamed("B")});
    model.appear();
    model.startRenaming(profiles[1].id);
    EXPECT_EQ(model.selectedProfileID(), profiles[1].id);
    EXPECT_EQ(model.renamingProfileID(), profiles[1].id);
    const auto rows = model.rows();
    EXPECT_FALSE(rows[0].renaming);
    EXPECT_TRUE(rows[1].renaming && rows[1].selected);

    // Every keystroke is stored at once; names are not checked.
    model.rename(profiles[1].id, "");
    EXPECT_EQ(storedNames(), (std::vector<std::string>{"A", ""}));
    model.rename(profiles[1].id, "A");
    EXPECT_EQ(storedNames(), (std::vector<std::string>{"A", "A"}));

    // Adding does not end renaming; a click does.
    model.addProfile();
    EXPECT_EQ(model.renamingProfileID(), profiles[1].id);
    model.click(profiles[0].id);
    EXPECT_FALSE(model.renamingProfileID());
    EXPECT_EQ(model.selectedProfileID(), profiles[0].id);

    model.startRenaming(profiles[0].id);
    model.endRenaming();
    EXPECT_FALSE(model.renamingProfileID());
    EXPECT_EQ(model.selectedProfileID(), profiles[0].id);
}

TEST_F(ProfileListModelTest, EditsAfterTheListChangedNeverTouchAnotherProfile) {
    const auto profiles = storeProfiles({profileNamed("A"), profileNamed("B"), profileNamed("C")});
    model.startRenaming(profiles[1].id);
    // Another view removes the first profile: "B" moves to position 0.
    auto changed = settings.rewritingProfiles();
    changed.erase(changed.begin());
    settings.setRewritingProfiles(changed);

    model.rename(profiles[1].id, "B2");
    model.setIcon(profiles[1].id, "pencil");
    auto stored = storedProfiles();
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].id, profiles[1].id);
    EXPECT_EQ(stored[0].name, "B2");
    EXPECT_EQ(stored[0].icon, "pencil");
    EXPECT_EQ(stored[1], profiles[2]);

    // A profile deleted elsewhere is not recreated, and nothing else changes.
    settings.setRewritingProfiles({stored[1]});
    model.rename(profiles[1].id, "ghost");
    model.setIcon(profiles[1].id, "film");
    EXPECT_EQ(storedProfiles(), std::vector<RewritingProfile>{profiles[2]});
    // The selection of a vanished profile shows nothing and offers no removal.
    EXPECT_FALSE(model.selectedProfile());
    EXPECT_FALSE(model.showsRemoveButton());
}

TEST_F(ProfileListModelTest, IconMenuOffersTheTenSymbolsAndStoresTheChosenOne) {
    std::vector<std::string> names;
    for (const auto& option : ProfileListModel::iconOptions()) names.push_back(option.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Envelope", "Chat", "Code", "Note", "Document", "Social", "Film",
                                               "Default", "Star", "Pencil"}));
    const auto profiles = storeProfiles({profileNamed("A")});
    model.setIcon(profiles[0].id, ProfileListModel::iconOptions()[8].symbol);
    EXPECT_EQ(storedProfiles()[0].icon, "star.fill");
    EXPECT_EQ(model.rows()[0].icon, "star.fill");
}

TEST_F(ProfileListModelTest, ChangesByOtherViewsAreAnnounced) {
    int changes = 0;
    const auto connection = model.changed().connect([&] { ++changes; });
    storeProfiles({profileNamed("A")});
    EXPECT_EQ(changes, 1);
}

} // namespace
} // namespace ostrelvirorez::testing::rewritingtab
