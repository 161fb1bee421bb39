#include "OstrelVirorez/UI/Editors/SnippetsSettingsModel.hpp"

#include "tests/OstrelVirorez/UI/Editors/EditorsFixture.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace ostrelvirorez::testing {
namespace {

using namespace editortests;

std::vector<std::string> triggers(const std::vector<Snippet>& list) {
    std::vector<std::string> result;
    std::ranges::transform(list, std::back_inserter(result), &Snippet::trigger);
    return result;
}

class SnippetsSettingsModelTest : public EditorsFixture {};

// "Add" is enabled exactly when pressing it adds something; a replacement of
// only line breaks used to leave it enabled while it did nothing.
TEST_F(SnippetsSettingsModelTest, AddIsEnabledExactlyWhenItAdds) {
    SnippetsSettingsModel model(*snippets);
    const struct {
        const char* name;
        const char* trigger;
        const char* replacement;
        bool canAdd;
    } cases[] = {
        {"both empty", "", "", false},
        {"trigger of blanks", " \t ", "text", false},
        {"replacement of blanks", "mfg", "  ", false},
        {"replacement of line breaks", "mfg", "\n\n", false},
        {"replacement of blanks and line breaks", "mfg", " \n\t\r\n ", false},
        {"trigger and one line", " mfg ", "\nBest\n", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        model.setNewTrigger(c.trigger);
        model.setNewReplacement(c.replacement);
        EXPECT_EQ(model.canAdd(), c.canAdd);
        if (c.canAdd) continue;
        model.addSnippet();
        EXPECT_TRUE(snippets->snippets().empty());
        EXPECT_EQ(model.newTrigger(), c.trigger);
        EXPECT_EQ(model.newReplacement(), c.replacement);
    }
}

TEST_F(SnippetsSettingsModelTest, AddStoresTheTrimmedSnippetLastAndClearsTheForm) {
    snippets->add(snippet("mfg", "Mit freundlichen Grüßen"));
    SnippetsSettingsModel model(*snippets);
    for (int round = 0; round < 2; ++round) {
        model.setNewTrigger("  best regards\t");
        model.setNewReplacement("Best regards,\n  Lena\n\n");
        model.setNewCaseSensitive(round == 0);
        model.addSnippet();
        EXPECT_EQ(model.newTrigger(), "");
        EXPECT_EQ(model.newReplacement(), "");
        EXPECT_FALSE(model.newCaseSensitive());
    }
    const auto stored = storedSnippets();
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored, snippets->snippets());
    EXPECT_EQ(triggers(stored), (std::vector<std::string>{"mfg", "best regards", "best regards"}));
    EXPECT_EQ(stored[1].replacement, "Best regards,\n  Lena");
    EXPECT_TRUE(stored[1].caseSensitive);
    EXPECT_FALSE(stored[2].caseSensitive);
    EXPECT_TRUE(stored[1].isEnabled && stored[2].isEnabled);
    EXPECT_EQ(model.listTitle(), "Snippets (3)");
}

TEST_F(SnippetsSettingsModelTest, RowSwitchAndDeleteStoreAtOnce) {
    for (const char* trigger : {"a", "b", "c"}) snippets->add(snippet(trigger, "x"));
    SnippetsSettingsModel model(*snippets);
    model.setNewTrigger("typed");
    model.setEnabled(snippets->snippets()[1], false);
    auto stored = storedSnippets();
    EXPECT_FALSE(stored[1].isEnabled);
    EXPECT_TRUE(stored[0].isEnabled && stored[2].isEnabled);
    EXPECT_EQ(model.listTitle(), "Snippets (3)");

    model.remove(snippets->snippets()[0]);
    EXPECT_EQ(triggers(storedSnippets()), (std::vector<std::string>{"b", "c"}));
    EXPECT_EQ(model.newTrigger(), "typed");
}

TEST_F(SnippetsSettingsModelTest, RowsMarkLineFeeds) {
    EXPECT_EQ(SnippetsSettingsModel::rowReplacementText("Best regards,\nLena"), "Best regards, \u21B5 Lena");
    EXPECT_EQ(SnippetsSettingsModel::rowReplacementText("a\n\nb"), "a \u21B5  \u21B5 b");
    EXPECT_EQ(SnippetsSettingsModel::rowReplacementText("{{DATE}}"), "{{DATE}}");
}

// The sheet stores the trigger without surrounding blanks, as the add form
// does; it used to store them, so the trigger could never match.
TEST_F(SnippetsSettingsModelTest, SheetSavesATrimmedTriggerInPlace) {
    for (const char* trigger : {"a", "b", "c"}) snippets->add(snippet(trigger, "x"));
    snippets->update([&] {
        auto disabled = snippets->snippets()[1];
        disabled.isEnabled = false;
        return disabled;
    }());
    SnippetsSettingsModel model(*snippets);
    model.beginEditing(snippets->snippets()[1]);
    ASSERT_TRUE(model.editingSnippet());

    SnippetDraft draft{*model.editingSnippet()};
    const struct {
        const char* name;
        const char* trigger;
        bool canSave;
    } cases[] = {{"empty", "", false}, {"blanks", " \t", false}, {"word", "b", true}, {"padded", " b2 ", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        draft.snippet.trigger = c.trigger;
        EXPECT_EQ(draft.canSave(), c.canSave);
    }
    draft.snippet.replacement = "";
    draft.snippet.caseSensitive = true;
    model.saveEditing(draft);
    EXPECT_FALSE(model.editingSnippet());
    const auto stored = storedSnippets();
    EXPECT_EQ(triggers(stored), (std::vector<std::string>{"a", "b2", "c"}));
    EXPECT_EQ(stored[1].replacement, ""); // an emptied replacement is allowed
    EXPECT_TRUE(stored[1].caseSensitive);
    EXPECT_FALSE(stored[1].isEnabled);
}

TEST_F(SnippetsSettingsModelTest, SheetThatCannotSaveOrIsCancelledChangesNothing) {
    snippets->add(snippet("a", "x"));
    SnippetsSettingsModel model(*snippets);
    const auto before = storedSnippets();

    model.beginEditing(snippets->snippets()[0]);
    SnippetDraft blank{*model.editingSnippet()};
    blank.snippet.trigger = "  ";
    model.saveEditing(blank);
    EXPECT_TRUE(model.editingSnippet()); // still open
    model.cancelEditing();
    EXPECT_FALSE(model.editingSnippet());
    EXPECT_EQ(storedSnippets(), before);

    // Saving a snippet deleted while the sheet was open brings nothing back.
    model.beginEditing(snippets->snippets()[0]);
    SnippetDraft edited{*model.editingSnippet()};
    model.remove(snippets->snippets()[0]);
    edited.snippet.trigger = "late";
    model.saveEditing(edited);
    EXPECT_FALSE(model.editingSnippet());
    EXPECT_TRUE(storedSnippets().empty());
}

TEST_F(SnippetsSettingsModelTest, ResetAsksThenInstallsTheDefaultsAndKeepsTheForm) {
    snippets->add(snippet("mine", "x", false));
    SnippetsSettingsModel model(*snippets);
    model.setNewTrigger("typed");
    model.requestReset();
    ASSERT_TRUE(model.showResetConfirm());
    EXPECT_EQ(model.confirmation()->title, "Reset Snippets?");
    EXPECT_EQ(model.confirmation()->message, "This replaces all current snippets with the built-in defaults.");
    model.answerConfirmation(false);
    EXPECT_FALSE(model.showResetConfirm());
    EXPECT_EQ(triggers(storedSnippets()), (std::vector<std::string>{"mine"}));

    model.requestReset();
    model.answerConfirmation(true);
    EXPECT_EQ(storedSnippets(), SnippetService::defaults());
    EXPECT_EQ(model.newTrigger(), "typed");
}

TEST_F(SnippetsSettingsModelTest, LegendFollowsThePlaceholderOrder) {
    const auto& legend = SnippetsSettingsModel::placeholderLegend();
    ASSERT_EQ(legend.size(), SnippetService::allPlaceholders.size());
    for (std::size_t i = 0; i < legend.size(); ++i)
        EXPECT_EQ(legend[i].token, rawValue(SnippetService::allPlaceholders[i])) << i;
    EXPECT_EQ(legend[0].description, "Date (06.05.2026)");
    EXPECT_EQ(legend[6].token, "{{NL}}");
    EXPECT_EQ(legend[6].description, "Line break");
}

} // namespace
} // namespace ostrelvirorez::testing
