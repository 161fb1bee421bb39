#include "OstrelVirorez/Model/AppSettings.hpp"
#include "Platform/Core/Error.hpp"
#include "Platform/Defaults/UserDefaults.hpp"

#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace ostrelvirorez;
using Codes = std::vector<KeyCode>;

class AppSettingsTest : public testing::Test {
protected:
    std::filesystem::path file() const { return folder / "defaults.json"; }

    // Drops every handle on the defaults file and opens it again, as a new
    // process would.
    void restart() {
        settings.reset();
        defaults.reset();
        defaults = std::make_unique<platform::UserDefaults>(file());
        settings = std::make_unique<AppSettings>(*defaults);
    }

    testsupport::TemporaryDirectory folder;
    std::unique_ptr<platform::UserDefaults> defaults = std::make_unique<platform::UserDefaults>(file());
    std::unique_ptr<AppSettings> settings = std::make_unique<AppSettings>(*defaults);
};

TEST_F(AppSettingsTest, EmptyDomainReadsTheDefaults) {
    const auto& s = *settings;
    EXPECT_EQ(s.selectedEngine(), EngineType::parakeet);
    EXPECT_EQ(s.preferredLanguage(), "");
    EXPECT_EQ(s.selectedMicrophoneUID(), "");
    EXPECT_EQ(s.virorezKeyCodesRaw(), "");
    EXPECT_EQ(s.claudeModel(), "claude-sonnet-5");
    EXPECT_EQ(s.pillPosition(), PillPosition::island);
    EXPECT_EQ(s.indicatorStyle(), IndicatorStyle::notch);
    EXPECT_EQ(s.indicatorVisibility(), IndicatorVisibility::duringActivity);
    EXPECT_DOUBLE_EQ(s.audioDuckingLevel(), 0.2);
    EXPECT_EQ(s.rewriteProvider(), RewriteProvider::claude);
    EXPECT_EQ(s.liveTranscriptIntervalMs(), 1800);
    EXPECT_DOUBLE_EQ(s.windowGlassDarkness(), 0.95);
    EXPECT_EQ(s.ostrelAppearancePresetID(), "claudeColors");
    EXPECT_EQ(s.ostrelBaseColorHex(), "#0D0D0D");
    EXPECT_EQ(s.ostrelSidebarColorHex(), "#121212");
    EXPECT_DOUBLE_EQ(s.ostrelSidebarDarknessDelta(), 0.0);

    const std::vector<std::pair<const char*, bool>> flags{
        {"soundsEnabled", s.soundsEnabled()},
        {"pillEnabled", s.pillEnabled()},
        {"indicatorTextFeedback", s.indicatorTextFeedback()},
        {"smartCapitalization", s.smartCapitalization()},
        {"smartParagraphs", s.smartParagraphs()},
        {"spokenPunctuationEnabled", s.spokenPunctuationEnabled()},
        {"claudeModelMigratedToSonnet5", !s.claudeModelMigratedToSonnet5()},
        {"audioDuckingEnabled", !s.audioDuckingEnabled()},
        {"mediaPauseEnabled", !s.mediaPauseEnabled()},
        {"launchAtLogin", !s.launchAtLogin()},
        {"onboardingCompleted", !s.onboardingCompleted()},
        {"fillerWordRemovalEnabled", !s.fillerWordRemovalEnabled()},
        {"backtrackEnabled", !s.backtrackEnabled()},
        {"autoVocabularyLearningEnabled", !s.autoVocabularyLearningEnabled()},
        {"liveTranscriptEnabled", !s.liveTranscriptEnabled()},
        {"dictationHistoryEnabled", !s.dictationHistoryEnabled()},
        {"correctionLearningEnabled", !s.correctionLearningEnabled()},
    };
    for (const auto& [key, asExpected] : flags) EXPECT_TRUE(asExpected) << key;

    const auto vocabulary = s.customVocabulary();
    ASSERT_FALSE(vocabulary.empty());
    EXPECT_EQ(vocabulary.front(), "AVAssetResourceLoaderDelegate");
    EXPECT_EQ(vocabulary.back(), "DaVinci Resolve");
    EXPECT_FALSE(defaults->contains("customVocabulary"));
}

TEST_F(AppSettingsTest, WritesLandUnderTheirKeysAndReadBackAfterARestart) {
    settings->setSelectedEngine(EngineType::nemotron);
    settings->setRewriteProvider(RewriteProvider::local);
    settings->setCustomVocabularyRaw("Foo");
    settings->setAudioDuckingLevel(0.5);
    settings->setLiveTranscriptIntervalMs(700);
    settings->setSoundsEnabled(false);

    EXPECT_EQ(defaults->stringValue("selectedEngine"), "nemotron");
    EXPECT_EQ(defaults->stringValue("customVocabulary"), "Foo");
    EXPECT_FALSE(defaults->contains("customVocabularyRaw"));
    restart();
    EXPECT_EQ(settings->selectedEngine(), EngineType::nemotron);
    EXPECT_EQ(settings->rewriteProvider(), RewriteProvider::local);
    EXPECT_EQ(settings->customVocabularyRaw(), "Foo");
    EXPECT_DOUBLE_EQ(settings->audioDuckingLevel(), 0.5);
    EXPECT_EQ(settings->liveTranscriptIntervalMs(), 700);
    EXPECT_FALSE(settings->soundsEnabled());
}

TEST_F(AppSettingsTest, AStoredValueOfTheWrongKindOrNamingNoCaseReadsAsTheDefault) {
    defaults->set("rewriteProvider", "Local");
    defaults->set("pillPosition", "Dock");
    defaults->set("selectedEngine", 1);
    defaults->set("soundsEnabled", "false");
    defaults->set("liveTranscriptIntervalMs", 900.0);
    defaults->set("audioDuckingLevel", "0.5");
    defaults->set("claudeModel", 5);
    defaults->set("indicatorStyle", "Overlay");
    EXPECT_EQ(settings->rewriteProvider(), RewriteProvider::claude);
    EXPECT_EQ(settings->pillPosition(), PillPosition::island);
    EXPECT_EQ(settings->selectedEngine(), EngineType::parakeet);
    EXPECT_TRUE(settings->soundsEnabled());
    EXPECT_EQ(settings->liveTranscriptIntervalMs(), 1800);
    EXPECT_DOUBLE_EQ(settings->audioDuckingLevel(), 0.2);
    EXPECT_EQ(settings->claudeModel(), "claude-sonnet-5");
    EXPECT_EQ(settings->indicatorStyle(), IndicatorStyle::notch);
}

TEST_F(AppSettingsTest, ChoicesAreStoredAsTheirRawStrings) {
    settings->setIndicatorStyle(IndicatorStyle::minimal);
    settings->setIndicatorVisibility(IndicatorVisibility::never);
    settings->setPillPosition(PillPosition::free);
    settings->setSelectedEngine(EngineType::appleSpeech);
    EXPECT_EQ(defaults->stringValue("indicatorStyle"), "minimal");
    EXPECT_EQ(defaults->stringValue("indicatorVisibility"), "never");
    EXPECT_EQ(defaults->stringValue("pillPosition"), "free");
    EXPECT_EQ(defaults->stringValue("selectedEngine"), "appleSpeech");
    EXPECT_EQ(settings->indicatorVisibility(), IndicatorVisibility::never);
}

TEST_F(AppSettingsTest, ReadsWhatAnyoneElseWroteUnderTheKey) {
    platform::UserDefaults other(file());
    other.set("preferredLanguage", "de");
    EXPECT_EQ(settings->preferredLanguage(), "de");
}

TEST_F(AppSettingsTest, VocabularyIsTheTrimmedNonEmptyPiecesInOrder) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases{
        {" Foo , Bar,, Foo ", {"Foo", "Bar", "Foo"}},
        {"", {}},
        {" , \n,", {}},
        {"Cloudflare R2,\tLiveKit\n", {"Cloudflare R2", "LiveKit"}},
    };
    for (const auto& [raw, expected] : cases) {
        settings->setCustomVocabularyRaw(raw);
        EXPECT_EQ(settings->customVocabulary(), expected) << '"' << raw << '"';
    }
}

TEST_F(AppSettingsTest, HotkeyListTextsParseWithTheDefaultAsFallback) {
    const std::vector<std::pair<std::string, Codes>> cases{
        {"54,55", {54, 55}},
        {" 54", {54}},  // the only piece is not a number: default
        {"54,abc,0,61", {54, 61}},
        {"0", {54}},
        {"none", {}},
        {",,56,", {56}},
        {"+56,-3", {56, -3}},
        {"+-56", {54}},
        {"99999999999999999999", {54}},
        {"None", {54}},
    };
    for (const auto& [raw, expected] : cases) {
        settings->setVirorezKeyCodesRaw(raw);
        EXPECT_EQ(settings->virorezKeyCodes(), expected) << '"' << raw << '"';
    }
}

TEST_F(AppSettingsTest, EmptyHotkeyTextsReadTheOlderKeysThenTheDefaults) {
    EXPECT_EQ(settings->virorezKeyCodes(), Codes{54});
    EXPECT_EQ(settings->claudeKeyCodes(), Codes{61});
    EXPECT_EQ(settings->clipboardKeyCodes(), Codes{62});

    defaults->set("virorezKeyCode", 56);
    EXPECT_EQ(settings->virorezKeyCodes(), Codes{56});
    defaults->set("virorezKeyCode2", 55);
    EXPECT_EQ(settings->virorezKeyCodes(), (Codes{56, 55}));
    defaults->set("virorezKeyCode", 0);
    defaults->set("virorezKeyCode2", "55");
    EXPECT_EQ(settings->virorezKeyCodes(), Codes{54});

    defaults->set("claudeKeyCode", 58);
    EXPECT_EQ(settings->claudeKeyCodes(), Codes{58});
    // A text that is set wins over the older keys.
    settings->setClaudeKeyCodesRaw("61,62");
    EXPECT_EQ(settings->claudeKeyCodes(), (Codes{61, 62}));
}

TEST_F(AppSettingsTest, HotkeyListsAreStoredAsTextAndNoKeySurvivesRestarts) {
    const std::vector<std::pair<Codes, std::string>> cases{
        {{}, "none"},
        {{0}, "none"},
        {{54, 0, 61}, "54,61"},
        {{80}, "80"},
    };
    for (const auto& [codes, expected] : cases) {
        settings->setClipboardKeyCodes(codes);
        EXPECT_EQ(defaults->stringValue("clipboardKeyCodesRaw"), expected);
    }

    settings->setClaudeKeyCodes({});
    restart();
    EXPECT_EQ(settings->claudeKeyCodes(), Codes{});
    restart();
    EXPECT_EQ(settings->claudeKeyCodesRaw(), "none");
}

TEST_F(AppSettingsTest, OnlyReplacingTheProfileListAnnouncesAChange) {
    int announcements = 0;
    const auto connection = settings->objectWillChange().connect([&] { ++announcements; });

    settings->setSoundsEnabled(false);
    settings->setVirorezKeyCodes({55});
    EXPECT_EQ(announcements, 0);

    auto profiles = settings->rewritingProfiles();
    ASSERT_FALSE(profiles.empty());
    profiles.front().name = "Mail & More";
    settings->setRewritingProfiles(profiles);
    EXPECT_EQ(announcements, 1);
    EXPECT_EQ(settings->rewritingProfiles().front().name, "Mail & More");
    EXPECT_TRUE(defaults->dataValue("rewritingProfiles").has_value());

    restart();
    EXPECT_EQ(settings->rewritingProfiles(), profiles);
}

TEST_F(AppSettingsTest, TextThatIsNotUtf8IsRefusedAndTheOldValueKept) {
    settings->setPreferredLanguage("en");
    EXPECT_THROW(settings->setPreferredLanguage("\xFF"), platform::Error);
    EXPECT_EQ(settings->preferredLanguage(), "en");
}

} // namespace
