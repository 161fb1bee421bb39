#include "OstrelVirorez/UI/Editors/DictionarySettingsModel.hpp"

#include "tests/OstrelVirorez/UI/Editors/EditorsFixture.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace ostrelvirorez::testing {
namespace {

using namespace editortests;

std::vector<std::string> sources(const std::vector<DictionaryCorrection>& list) {
    std::vector<std::string> result;
    std::ranges::transform(list, std::back_inserter(result), &DictionaryCorrection::source);
    return result;
}

class DictionarySettingsModelTest : public EditorsFixture {
protected:
    DictionarySettingsModel makeModel() { return {*dictionary, settings, apps}; }

    std::vector<AppInfo> running{{"org.example.Mail", "Mail"}, {"org.example.Notes", "Notes"}};
    AppAssignmentSource apps{[this] { return running; },
                             [](const std::string& id) -> std::optional<std::string> {
                                 if (id == "org.example.Mail") return std::string("mail-icon");
                                 return std::nullopt;
                             }};
};

TEST_F(DictionarySettingsModelTest, SearchMatchesSourceOrReplacementIgnoringCaseAndSurroundingBlanks) {
    auto tagged = correction("teh", "the");
    tagged.assignedApps = {{"org.example.Tool", "Audio Tool"}};
    dictionary->add(correction("AV Audio Engine", "AVAudioEngine"));
    dictionary->add(tagged);
    dictionary->add(correction("recieve", "receive", true));
    auto model = makeModel();
    const struct {
        const char* name;
        const char* query;
        std::vector<std::string> expected;
    } cases[] = {
        {"empty shows all", "", {"AV Audio Engine", "teh", "recieve"}},
        {"blanks only show all", " \t ", {"AV Audio Engine", "teh", "recieve"}},
        {"part of a source in another case", "audio", {"AV Audio Engine"}},
        {"surrounding blanks are ignored", "  audio\t", {"AV Audio Engine"}},
        {"only the replacement matches", "THE", {"teh"}},
        {"learned ones are searched too", "ceiv", {"recieve"}},
        {"application names are not searched", "tool", {}},
        {"no match", "zzz", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        model.setSearchText(c.query);
        EXPECT_EQ(sources(model.filtered()), c.expected);
    }
}

TEST_F(DictionarySettingsModelTest, ListsTitlesAndCaptionsFollowTheSearch) {
    auto model = makeModel();
    EXPECT_EQ(model.manualTitle(), "Corrections (0)");
    EXPECT_EQ(model.emptyManualCaption(), "No corrections yet.");
    EXPECT_EQ(model.autoLearnedTitle(), std::nullopt);

    dictionary->add(correction("learned one", "Learned One", true));
    dictionary->add(correction("core data", "CoreData"));
    dictionary->add(correction("learned two", "Learned Two", true));
    EXPECT_EQ(sources(model.manualCorrections()), (std::vector<std::string>{"core data"}));
    EXPECT_EQ(sources(model.autoLearned()), (std::vector<std::string>{"learned one", "learned two"}));
    EXPECT_EQ(model.manualTitle(), "Corrections (1)");
    EXPECT_EQ(model.autoLearnedTitle(), "Auto-Learned (2)");

    model.setSearchText("two");
    EXPECT_EQ(model.manualTitle(), "Corrections (0)");
    EXPECT_EQ(model.emptyManualCaption(), "No matches.");
    EXPECT_EQ(model.autoLearnedTitle(), "Auto-Learned (1)");
    model.setSearchText("data");
    EXPECT_EQ(model.autoLearnedTitle(), std::nullopt);
    // A search of blanks lists everything, yet the empty caption follows the text as typed.
    dictionary->remove(dictionary->corrections()[1].id);
    model.setSearchText("  ");
    EXPECT_EQ(model.autoLearned().size(), 2u);
    EXPECT_EQ(model.emptyManualCaption(), "No matches.");
}

TEST_F(DictionarySettingsModelTest, AddIsEnabledOnlyWithTextInBothFields) {
    auto model = makeModel();
    const struct {
        const char* name;
        const char* source;
        const char* replacement;
        bool canAdd;
    } cases[] = {
        {"both empty", "", "", false},
        {"source empty", "", "x", false},
        {"replacement of blanks", "x", " \t\u00A0", false},
        {"source of blanks", "  ", "x", false},
        {"both filled", " a ", "b", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        model.setNewSource(c.source);
        model.setNewReplacement(c.replacement);
        EXPECT_EQ(model.canAdd(), c.canAdd);
        if (!c.canAdd) {
            model.addCorrection();
            EXPECT_TRUE(dictionary->corrections().empty());
            EXPECT_EQ(model.newSource(), c.source);
        }
    }
}

TEST_F(DictionarySettingsModelTest, AddStoresTheTrimmedManualCorrectionLastAndClearsTheForm) {
    dictionary->add(correction("first", "First"));
    auto model = makeModel();
    model.setSearchText("no match");
    int changes = 0;
    const auto connection = model.changed().connect([&] { ++changes; });
    for (int round = 0; round < 2; ++round) {
        model.setNewSource("  AV Audio Engine\t");
        model.setNewReplacement(" AVAudioEngine ");
        model.setNewCaseSensitive(round == 0);
        model.addCorrection();
        EXPECT_EQ(model.newSource(), "");
        EXPECT_EQ(model.newReplacement(), "");
        EXPECT_FALSE(model.newCaseSensitive());
    }
    EXPECT_GT(changes, 0);
    const auto stored = storedCorrections();
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored, dictionary->corrections());
    for (std::size_t i = 1; i < 3; ++i) {
        EXPECT_EQ(stored[i].source, "AV Audio Engine");
        EXPECT_EQ(stored[i].replacement, "AVAudioEngine");
        EXPECT_EQ(stored[i].engineSpecific, std::nullopt);
        EXPECT_FALSE(stored[i].isAutoLearned);
        EXPECT_TRUE(stored[i].assignedApps.empty());
    }
    EXPECT_TRUE(stored[1].caseSensitive);
    EXPECT_FALSE(stored[2].caseSensitive);
    EXPECT_NE(stored[1].id, stored[2].id);
    // The search is kept, so the new rows stay hidden.
    EXPECT_EQ(model.searchText(), "no match");
    EXPECT_TRUE(model.filtered().empty());
}

TEST_F(DictionarySettingsModelTest, AssigningAndUnassigningApplicationsKeepsThePlace) {
    auto row = correction("teh", "the");
    row.engineSpecific = EngineType::nemotron;
    dictionary->add(correction("before", "Before"));
    dictionary->add(row);
    dictionary->add(correction("after", "After"));
    auto model = makeModel();

    EXPECT_EQ(model.candidates(row), running);
    model.assignApp(row, running[1]);
    auto stored = storedCorrections();
    EXPECT_EQ(stored[1].assignedApps, (std::vector<AppInfo>{running[1]}));
    EXPECT_EQ(stored[1].engineSpecific, EngineType::nemotron);
    EXPECT_EQ(sources(stored), (std::vector<std::string>{"before", "teh", "after"}));

    row = dictionary->corrections()[1];
    EXPECT_EQ(model.candidates(row), (std::vector<AppInfo>{running[0]}));
    model.assignApp(row, running[0]);
    row = dictionary->corrections()[1];
    EXPECT_EQ(row.assignedApps, (std::vector<AppInfo>{running[1], running[0]}));
    EXPECT_TRUE(model.candidates(row).empty());

    model.unassignApp(row, "org.example.Notes");
    EXPECT_EQ(storedCorrections()[1].assignedApps, (std::vector<AppInfo>{running[0]}));
    EXPECT_EQ(model.appIcon("org.example.Mail"), "mail-icon");
    EXPECT_EQ(model.appIcon("org.example.Notes"), std::nullopt);

    // A row removed meanwhile is not brought back by a late assignment.
    model.remove(row);
    model.assignApp(row, running[1]);
    EXPECT_EQ(sources(storedCorrections()), (std::vector<std::string>{"before", "after"}));
}

TEST_F(DictionarySettingsModelTest, RemovingAutoLearnedAsksThenRemovesEveryOneEvenThoseTheSearchHides) {
    dictionary->add(correction("recieve", "receive", true));
    dictionary->add(correction("manual", "Manual"));
    dictionary->add(correction("adress", "address", true));
    dictionary->add(correction("acess", "access", true));
    auto model = makeModel();
    model.setSearchText("ss");
    ASSERT_EQ(model.autoLearned().size(), 2u) << "the search shows two of the three";

    model.requestRemoveAutoLearned();
    ASSERT_TRUE(model.confirmation());
    EXPECT_EQ(model.confirmation()->title, "Remove Auto-Learned Corrections?");
    EXPECT_EQ(model.confirmation()->message, "This removes all 3 auto-learned corrections, also those the search hides.");
    EXPECT_FALSE(model.showResetConfirm());
    EXPECT_EQ(dictionary->corrections().size(), 4u); // nothing before the answer

    model.answerConfirmation(false);
    EXPECT_FALSE(model.confirmation());
    EXPECT_EQ(storedCorrections().size(), 4u);

    model.requestRemoveAutoLearned();
    dictionary->add(correction("learnt meanwhile", "x", true)); // not part of the question
    model.answerConfirmation(true);
    EXPECT_EQ(sources(storedCorrections()), (std::vector<std::string>{"manual", "learnt meanwhile"}));

    model.setSearchText("");
    model.requestRemoveAutoLearned();
    EXPECT_EQ(model.confirmation()->message, "This removes 1 auto-learned correction.");
    model.answerConfirmation(true);
    EXPECT_EQ(sources(storedCorrections()), (std::vector<std::string>{"manual"}));
    model.requestRemoveAutoLearned(); // nothing to remove: no question
    EXPECT_FALSE(model.confirmation());
}

TEST_F(DictionarySettingsModelTest, ResetAsksThenInstallsTheDefaultsAndKeepsSearchAndForm) {
    auto learned = correction("teh", "the", true);
    learned.assignedApps = {{"org.example.Mail", "Mail"}};
    dictionary->add(learned);
    auto model = makeModel();
    model.setSearchText("x");
    model.setNewSource("typed");

    model.requestReset();
    EXPECT_TRUE(model.showResetConfirm());
    EXPECT_EQ(model.confirmation()->title, "Reset Dictionary?");
    EXPECT_EQ(model.confirmation()->message,
              "This replaces all current corrections (including auto-learned ones) with the built-in defaults.");
    model.answerConfirmation(false);
    EXPECT_FALSE(model.showResetConfirm());
    EXPECT_EQ(storedCorrections(), (std::vector{learned}));

    model.requestReset();
    model.answerConfirmation(true);
    EXPECT_FALSE(model.showResetConfirm());
    EXPECT_EQ(storedCorrections(), DictionaryService::defaults());
    EXPECT_EQ(model.searchText(), "x");
    EXPECT_EQ(model.newSource(), "typed");
}

TEST_F(DictionarySettingsModelTest, LearningSwitchWritesTheSettingAndFollowsIt) {
    auto model = makeModel();
    int changes = 0;
    const auto connection = model.changed().connect([&] { ++changes; });
    EXPECT_FALSE(model.correctionLearningEnabled());
    model.setCorrectionLearningEnabled(true);
    EXPECT_TRUE(data.defaults().boolValue("correctionLearningEnabled").value_or(false));
    EXPECT_EQ(changes, 1);
    settings.setCorrectionLearningEnabled(false);
    EXPECT_FALSE(model.correctionLearningEnabled());
    EXPECT_EQ(changes, 2);
    settings.setSoundsEnabled(false); // another key does not redraw the tab
    EXPECT_EQ(changes, 2);
}

} // namespace
} // namespace ostrelvirorez::testing
