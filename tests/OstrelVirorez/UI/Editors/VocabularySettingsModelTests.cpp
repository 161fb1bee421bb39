#include "OstrelVirorez/UI/Editors/VocabularySettingsModel.hpp"

#include "tests/OstrelVirorez/UI/Editors/EditorsFixture.hpp"

#include <gtest/gtest.h>

namespace ostrelvirorez::testing {
namespace {

using namespace editortests;

class VocabularySettingsModelTest : public EditorsFixture {
protected:
    Published<std::string> lastTranscript{std::string{}};
};

TEST_F(VocabularySettingsModelTest, PreviewNeedsTheSwitchAndARecordedDictation) {
    VocabularySettingsModel model(settings, lastTranscript);
    int changes = 0;
    const auto connection = model.changed().connect([&] { ++changes; });
    EXPECT_FALSE(model.showsPreview());
    model.setAutoVocabularyLearningEnabled(true);
    EXPECT_TRUE(data.defaults().boolValue("autoVocabularyLearningEnabled").value_or(false));
    EXPECT_FALSE(model.showsPreview());
    lastTranscript.set("wir nutzen Kuber Netes");
    EXPECT_TRUE(model.showsPreview());
    EXPECT_EQ(model.lastTranscript(), "wir nutzen Kuber Netes");
    model.setAutoVocabularyLearningEnabled(false);
    EXPECT_FALSE(model.showsPreview());
    settings.setAutoVocabularyLearningEnabled(true); // switched on elsewhere: the old text shows again
    EXPECT_TRUE(model.showsPreview());
    EXPECT_EQ(changes, 4);
}

TEST_F(VocabularySettingsModelTest, EditedTextIsStoredExactlyAsTyped) {
    VocabularySettingsModel model(settings, lastTranscript);
    const std::string typed = " Swift,\n\n, Qt\nQuick ,";
    model.setCustomVocabularyRaw(typed);
    EXPECT_EQ(data.defaults().stringValue("customVocabulary"), typed);
    EXPECT_EQ(settings.customVocabulary(), (std::vector<std::string>{"Swift", "Qt\nQuick"}));
    model.setCustomVocabularyRaw("");
    EXPECT_TRUE(settings.customVocabulary().empty());
}

TEST_F(VocabularySettingsModelTest, AddAppendsNewTermsInNormalFormAndAlwaysEmptiesTheField) {
    VocabularySettingsModel model(settings, lastTranscript);
    model.setCustomVocabularyRaw("Swift,\n   Qt ,\n\nKotlin");
    const struct {
        const char* name;
        const char* term;
        bool canAdd;
        const char* stored;
    } cases[] = {
        {"empty field", "", false, "Swift,\n   Qt ,\n\nKotlin"},
        {"blanks only", " \t ", false, "Swift,\n   Qt ,\n\nKotlin"},
        {"same term, same case", " Qt ", true, "Swift,\n   Qt ,\n\nKotlin"},
        {"new term rewrites the text", "  Rust ", true, "Swift, Qt, Kotlin, Rust"},
        {"another letter case is new", "rust", true, "Swift, Qt, Kotlin, Rust, rust"},
        {"a comma makes two terms", "Go, Zig", true, "Swift, Qt, Kotlin, Rust, rust, Go, Zig"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        model.setNewTerm(c.term);
        EXPECT_EQ(model.canAdd(), c.canAdd);
        if (!c.canAdd) continue;
        model.addTerm();
        EXPECT_EQ(model.newTerm(), "");
        EXPECT_EQ(settings.customVocabularyRaw(), c.stored);
        EXPECT_EQ(model.customVocabularyRaw(), c.stored);
    }
}

TEST_F(VocabularySettingsModelTest, FollowsItsSettingsButNotOthers) {
    VocabularySettingsModel model(settings, lastTranscript);
    int changes = 0;
    const auto connection = model.changed().connect([&] { ++changes; });
    settings.setCustomVocabularyRaw("A, B");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(model.customVocabularyRaw(), "A, B");
    settings.setBacktrackEnabled(true);
    EXPECT_EQ(changes, 1);
}

} // namespace
} // namespace ostrelvirorez::testing
