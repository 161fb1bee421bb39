// A settings file that is valid JSON but holds values of the wrong kind: every
// such value is kept under "<key>.unreadable", with a warning, before the
// start-up writes (defaults, migrations, the first change) replace it.

#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/Model/DictionaryService.hpp"
#include "OstrelVirorez/Model/SnippetService.hpp"
#include "Platform/Core/Logger.hpp"
#include "Platform/Defaults/UserDefaults.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <memory>

namespace {

using namespace ostrelvirorez;
using nlohmann::json;

struct Unreadable {
    const char* key;
    json stored;
};

const Unreadable unreadableValues[] = {
    {"virorezKeyCodesRaw", 54},
    {"soundsEnabled", "yes"},
    {"audioDuckingLevel", "low"},
    {"liveTranscriptIntervalMs", 1.5},
    {"selectedEngine", json::array({"parakeet"})},
    {"claudeModel", nullptr},
    // Bytes that are no JSON list of corrections ("not json", base64).
    {"dictionaryCorrections", {{"$data", "bm90IGpzb24="}}},
    {"snippets", 7},
    {"rewritingProfiles", true},
};

class UnreadableSettingsTest : public ::testing::Test {
protected:
    UnreadableSettingsTest() {
        json file = json::object();
        for (const auto& value : unreadableValues) file[value.key] = value.stored;
        file["pillEnabled"] = false;
        folder.write("defaults.json", file.dump());
    }

    // What the application does at start-up, in its order, then one change.
    void start() {
        platform::UserDefaults defaults(folder / "defaults.json");
        AppSettings settings(defaults);
        DictionaryService dictionary(defaults);
        SnippetService snippets(defaults, [] { return std::optional<std::string>(); },
                                [] { return std::chrono::system_clock::now(); });
        settings.migrateHotkeysIfNeeded();
        (void)settings.rewritingProfiles();
        settings.setSoundsEnabled(true);
        settings.setAudioDuckingLevel(0.3);
        settings.setLiveTranscriptIntervalMs(900);
        settings.setSelectedEngine(EngineType::hushframe);
        settings.setClaudeModel("claude-sonnet-5");
        dictionary.resetToDefaults();
        snippets.resetToDefaults();
        settings.setRewritingProfiles(RewritingProfile::defaults());
    }

    json saved() const { return json::parse(folder.read("defaults.json")); }

    testsupport::TemporaryDirectory folder;
    platform::ScopedLogCapture logs;
};

TEST_F(UnreadableSettingsTest, EveryUnreadableValueIsKeptBeforeItIsReplacedAndWarnedAbout) {
    start();
    const json file = saved();
    for (const auto& value : unreadableValues) {
        SCOPED_TRACE(value.key);
        const std::string kept = std::string(value.key) + ".unreadable";
        ASSERT_TRUE(file.contains(kept));
        EXPECT_EQ(file[kept], json::array({value.stored}));
        EXPECT_NE(file[value.key], value.stored);

        bool warned = false;
        for (const auto& record : logs.sink().records()) {
            warned = warned || (record.level == platform::LogLevel::warning &&
                                record.message.find("\"" + std::string(value.key) + "\" cannot be read") !=
                                    std::string::npos &&
                                record.message.find("\"" + kept + "\"") != std::string::npos);
        }
        EXPECT_TRUE(warned);
    }
    EXPECT_EQ(file["virorezKeyCodesRaw"], "54");
    EXPECT_EQ(file["pillEnabled"], false);
    EXPECT_FALSE(file.contains("pillEnabled.unreadable"));
}

TEST_F(UnreadableSettingsTest, AValueKeptOnceIsNotKeptOrWarnedAboutAgain) {
    {
        platform::UserDefaults defaults(folder / "defaults.json");
        AppSettings settings(defaults);
    }
    logs.sink().clear();
    {
        platform::UserDefaults defaults(folder / "defaults.json");
        AppSettings settings(defaults);
    }
    EXPECT_TRUE(logs.sink().records().empty());
    EXPECT_EQ(saved()["soundsEnabled.unreadable"], json::array({"yes"}));
}

} // namespace
