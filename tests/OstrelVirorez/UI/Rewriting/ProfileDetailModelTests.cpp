#include "OstrelVirorez/UI/Rewriting/ProfileDetailModel.hpp"
#include "tests/OstrelVirorez/UI/Rewriting/RewritingFixture.hpp"

#include <gtest/gtest.h>

namespace ostrelvirorez::testing::rewritingtab {
namespace {

using Words = std::vector<std::string>;

TEST(TriggerWords, TextIsSplitAtCommasTrimmedAndEmptyPiecesDropped) {
    struct Case {
        const char* name;
        std::string text;
        Words words;
    };
    const Case cases[] = {
        {"blanks and empty pieces", " Mail ,, Antwort ,  ", {"Mail", "Antwort"}},
        {"several words in one", "guten morgen, E-Mail", {"guten morgen", "E-Mail"}},
        {"only separators", " , \n,\t,, ", {}},
        {"empty", "", {}},
        {"case and duplicates kept", "Mail,mail,Mail", {"Mail", "mail", "Mail"}},
        {"line breaks trimmed", "\nMail\n,\r\nAntwort", {"Mail", "Antwort"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ProfileDetailModel::parseTriggerWords(c.text), c.words);
    }
    EXPECT_EQ(ProfileDetailModel::joinTriggerWords({"Mail", "Antwort"}), "Mail, Antwort");
    EXPECT_EQ(ProfileDetailModel::joinTriggerWords({}), "");
}

class ProfileDetailModelTest : public RewritingFixture {
protected:
    std::vector<RewritingProfile> profiles =
        storeProfiles({profileNamed("Other", {{"a.x", "X"}}), profileNamed("Mine", {{"a.one", "One"}})});
    ProfileDetailModel model{settings, profiles[1].id};

    RewritingProfile stored() { return storedProfiles().at(1); }
};

TEST_F(ProfileDetailModelTest, EveryFieldIsWrittenToTheStoredProfileAtOnce) {
    model.setTriggerWordsText(" Mail ,, Antwort ,  ");
    EXPECT_EQ(stored().triggerWords, (Words{"Mail", "Antwort"}));
    EXPECT_EQ(model.triggerWordsText(), "Mail, Antwort");

    model.setIncludeClipboardContext(true);
    model.setIncludeWindowTitleContext(true);
    EXPECT_TRUE(stored().includeClipboardContext);
    EXPECT_TRUE(stored().includeWindowTitleContext);

    model.setPrompt("");
    EXPECT_EQ(stored().prompt, "");

    // Only the edited profile changed.
    EXPECT_EQ(storedProfiles()[0], profiles[0]);
    EXPECT_EQ(stored().name, "Mine");
}

TEST_F(ProfileDetailModelTest, EngineOverrideStoresTheChoiceOrItsAbsence) {
    std::vector<std::string> labels;
    for (const auto& option : ProfileDetailModel::engineOptions()) labels.push_back(option.label);
    EXPECT_EQ(labels, (Words{"Default (App-Setting)", "Parakeet TDT v3", "Hushframe (Large v3 Turbo)",
                             "Apple SpeechAnalyzer", "Nemotron 3.5 (Streaming)"}));

    const auto absentNote = model.engineNote();
    EXPECT_EQ(absentNote, "Wenn gesetzt, übersteuert das die globale Engine für Diktate in den zugewiesenen Apps.");
    model.setEngine(EngineType::appleSpeech);
    EXPECT_EQ(stored().preferredEngine, EngineType::appleSpeech);
    EXPECT_EQ(model.engineNote(),
              "Diktate über dieses Profil nutzen Apple SpeechAnalyzer — unabhängig vom globalen Engine-Setting. Beim "
              "ersten Wechsel kann das Modell-Laden ein paar Sekunden dauern.");
    model.setEngine(std::nullopt);
    EXPECT_EQ(stored().preferredEngine, std::nullopt);
    EXPECT_EQ(model.engineNote(), absentNote);
}

TEST_F(ProfileDetailModelTest, RemovingAnAppRemovesEveryEntryWithItsBundleIdentifier) {
    auto list = settings.rewritingProfiles();
    list[1].assignedApps = {{"a.one", "One"}, {"a.two", "Two"}, {"a.one", "One again"}};
    settings.setRewritingProfiles(list);
    EXPECT_EQ(model.assignedApps().size(), 3u);
    model.removeApp("a.one");
    EXPECT_EQ(stored().assignedApps, (std::vector<AppInfo>{{"a.two", "Two"}}));
    EXPECT_EQ(storedProfiles()[0].assignedApps, profiles[0].assignedApps);
}

TEST_F(ProfileDetailModelTest, DefaultProfileShowsTheNoteWhateverItsApps) {
    EXPECT_FALSE(model.showsDefaultNote());
    auto list = settings.rewritingProfiles();
    list[1].isDefault = true;
    settings.setRewritingProfiles(list);
    EXPECT_TRUE(model.showsDefaultNote());
    EXPECT_EQ(ProfileDetailModel::defaultProfileNote(),
              "Default profile — used for all apps not assigned to another profile.");
}

TEST_F(ProfileDetailModelTest, ResetOffersTheBuiltInPromptOfTheSameName) {
    const auto& builtIn = RewritingProfile::defaults();
    EXPECT_FALSE(model.resetTarget()); // no built-in profile is named "Mine"
    EXPECT_FALSE(model.showsReset());

    // A user profile named like a built-in one resets to that prompt.
    auto list = settings.rewritingProfiles();
    list[1].name = "E-Mail";
    list[1].prompt = builtIn[0].prompt;
    settings.setRewritingProfiles(list);
    EXPECT_EQ(model.resetTarget(), builtIn[0].prompt);
    EXPECT_FALSE(model.showsReset());
    model.setPrompt(builtIn[0].prompt + "x");
    EXPECT_TRUE(model.showsReset());
    model.reset();
    EXPECT_EQ(stored().prompt, builtIn[0].prompt);
    EXPECT_FALSE(model.showsReset());

    // A built-in profile whose name changed offers none.
    auto renamed = builtIn[1];
    renamed.name = "Chat";
    renamed.prompt = "edited";
    storeProfiles({renamed});
    ProfileDetailModel chat(settings, renamed.id);
    EXPECT_FALSE(chat.showsReset());
    chat.reset();
    EXPECT_EQ(storedProfiles()[0].prompt, "edited");
}

TEST_F(ProfileDetailModelTest, EditsFindTheProfileByIdAfterTheListChanged) {
    // Another view removes the first profile, so "Mine" moves to position 0.
    settings.setRewritingProfiles({profiles[1], profileNamed("Later")});
    model.setPrompt("changed");
    auto list = storedProfiles();
    EXPECT_EQ(list[0].id, profiles[1].id);
    EXPECT_EQ(list[0].prompt, "changed");
    EXPECT_EQ(list[1].prompt, "");

    // Once "Mine" is gone, its editor changes nothing.
    settings.setRewritingProfiles({list[1]});
    int announcements = 0;
    const auto connection = settings.objectWillChange().connect([&] { ++announcements; });
    model.setPrompt("lost");
    model.setTriggerWordsText("lost");
    model.setEngine(EngineType::nemotron);
    model.removeApp("a.one");
    EXPECT_EQ(announcements, 0);
    EXPECT_EQ(storedProfiles(), std::vector<RewritingProfile>{list[1]});
    EXPECT_FALSE(model.profile());
    EXPECT_EQ(model.prompt(), "");
}

TEST_F(ProfileDetailModelTest, AppPickerFlagOpensAndClosesAndStoreChangesAreAnnounced) {
    EXPECT_FALSE(model.showAppPicker());
    model.openAppPicker();
    EXPECT_TRUE(model.showAppPicker());
    model.appPickerDismissed();
    EXPECT_FALSE(model.showAppPicker());

    int changes = 0;
    const auto connection = model.changed().connect([&] { ++changes; });
    auto list = settings.rewritingProfiles();
    list[1].assignedApps.push_back({"a.two", "Two"});
    settings.setRewritingProfiles(list);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(model.assignedApps().size(), 2u);
}

} // namespace
} // namespace ostrelvirorez::testing::rewritingtab
