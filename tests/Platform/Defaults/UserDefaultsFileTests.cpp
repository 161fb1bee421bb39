#include "Platform/Defaults/UserDefaults.hpp"

#include "Platform/Core/Logger.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using platform::UserDefaults;

std::vector<fs::path> damagedCopies(const fs::path& folder) {
    std::vector<fs::path> copies;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().starts_with("defaults.json.damaged-")) copies.push_back(entry.path());
    }
    return copies;
}

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(UserDefaultsFile, DamagedFileIsKeptAsideLoggedAndTheStoreStartsFromDefaults) {
    for (const std::string damaged : {"{\"soundsEnabled\": tru", "[true]", "\"text\"", "", "{\"a\": \"\xff\"}"}) {
        const testsupport::TemporaryDirectory folder;
        folder.write("defaults.json", damaged);
        const platform::ScopedLogCapture log;

        UserDefaults defaults(folder / "defaults.json");
        defaults.registerDefaults({{"soundsEnabled", true}});

        EXPECT_TRUE(log.contains("damaged")) << damaged;
        EXPECT_EQ(defaults.boolValue("soundsEnabled"), true) << damaged;
        const auto copies = damagedCopies(folder.path());
        ASSERT_EQ(copies.size(), 1u) << damaged;
        EXPECT_TRUE(log.contains(copies[0].filename().string())) << damaged;

        defaults.set("soundsEnabled", false);
        EXPECT_EQ(folder.read(copies[0].filename().string()), damaged);
        EXPECT_EQ(json::parse(folder.read("defaults.json")), json({{"soundsEnabled", false}}));
    }
}

TEST(UserDefaultsFile, RepeatedDamageNeverOverwritesAnEarlierCopy) {
    const testsupport::TemporaryDirectory folder;
    const platform::ScopedLogCapture log;
    for (const char* damaged : {"first", "second", "third"}) {
        folder.write("defaults.json", damaged);
        const UserDefaults defaults(folder / "defaults.json");
    }
    std::vector<std::string> kept;
    for (const auto& copy : damagedCopies(folder.path())) kept.push_back(folder.read(copy.filename().string()));
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, (std::vector<std::string>{"first", "second", "third"}));
}

TEST(UserDefaultsFile, EntriesOfUnknownShapeAreSavedBackUntouched) {
    const testsupport::TemporaryDirectory folder;
    const json unknown = {
        {"nothing", nullptr},
        {"beyond64Bits", 18446744073709551615u},
        {"badBytes", {{"$data", "not base64!"}}},
        {"listWithNull", {1, nullptr}},
    };
    auto original = unknown;
    original["kept"] = 7;
    folder.write("defaults.json", original.dump());

    UserDefaults defaults(folder / "defaults.json");
    EXPECT_TRUE(defaults.contains("nothing"));
    EXPECT_FALSE(defaults.value("nothing"));
    EXPECT_FALSE(defaults.value("badBytes"));
    EXPECT_EQ(defaults.integerValue("kept"), 7);

    defaults.set("added", true);

    auto expected = original;
    expected["added"] = true;
    EXPECT_EQ(json::parse(folder.read("defaults.json")), expected);
    EXPECT_TRUE(damagedCopies(folder.path()).empty());
}

TEST(UserDefaultsFile, HandWrittenBytesMarkerReadsAsData) {
    const testsupport::TemporaryDirectory folder;
    folder.write("defaults.json", R"({"snippets": {"$data": "W10="}, "plain": {"a": 1, "b": 2}})");
    const UserDefaults defaults(folder / "defaults.json");
    EXPECT_EQ(defaults.dataValue("snippets"), (platform::DefaultsValue::Data{'[', ']'}));
    EXPECT_EQ(defaults.dictionaryValue("plain")->size(), 2u);
}

TEST(UserDefaultsFile, WritesLeaveOnlyTheFileAndCreateItsFolder) {
    const testsupport::TemporaryDirectory folder;
    UserDefaults defaults(folder / "OstrelVirorez" / "defaults.json");
    for (int round = 0; round < 5; ++round) defaults.set("round", round);
    EXPECT_EQ(namesIn(folder / "OstrelVirorez"), std::vector<std::string>{"defaults.json"});
    EXPECT_EQ(json::parse(folder.read("OstrelVirorez/defaults.json")), json({{"round", 4}}));
}

TEST(UserDefaultsFile, FailedSaveIsLoggedKeepsTheValueAndIsRetriedOnTheNextWrite) {
    const testsupport::TemporaryDirectory folder;
    folder.write("blocker", "a file where the folder should be");
    const platform::ScopedLogCapture log;
    {
        UserDefaults defaults(folder / "blocker" / "defaults.json");
        defaults.set("soundsEnabled", false);
        EXPECT_TRUE(log.contains("Cannot save user defaults"));
        EXPECT_EQ(defaults.boolValue("soundsEnabled"), false);
    }
    fs::remove(folder / "blocker");
    {
        UserDefaults defaults(folder / "blocker" / "defaults.json");
        defaults.set("soundsEnabled", false);
        defaults.set("pillEnabled", true);
    }
    EXPECT_EQ(json::parse(folder.read("blocker/defaults.json")), json({{"soundsEnabled", false}, {"pillEnabled", true}}));
}

// Going away does no file work; synchronize() is what saves a write whose
// save failed, and it says whether anything is still unsaved.
TEST(UserDefaultsFile, SynchronizeRetriesAFailedSaveAndReportsWhatStaysUnsaved) {
    const testsupport::TemporaryDirectory folder;
    folder.write("blocker", "a file where the folder should be");
    platform::ScopedLogCapture log;
    UserDefaults defaults(folder / "blocker" / "defaults.json");
    EXPECT_TRUE(defaults.synchronize());
    defaults.set("soundsEnabled", false);
    log.sink().clear();
    EXPECT_FALSE(defaults.synchronize());
    EXPECT_TRUE(log.contains("Cannot save user defaults"));

    fs::remove(folder / "blocker");
    EXPECT_TRUE(defaults.synchronize());
    EXPECT_EQ(json::parse(folder.read("blocker/defaults.json")), json({{"soundsEnabled", false}}));
    EXPECT_TRUE(defaults.synchronize());
}

// A value its reader cannot use is copied, exactly as the file holds it, into
// "<key>.unreadable" before anything replaces it; the same value only once.
TEST(UserDefaultsFile, UnreadableValuesAreKeptAsTheFileHoldsThemAndWarnedAboutOnce) {
    const testsupport::TemporaryDirectory folder;
    folder.write("defaults.json", R"({"snippets": 7, "claudeModel": null, "pillEnabled": true})");
    platform::ScopedLogCapture log;
    UserDefaults defaults(folder / "defaults.json");

    EXPECT_TRUE(defaults.hasWrittenValue("claudeModel"));
    EXPECT_FALSE(defaults.value("claudeModel").has_value());
    EXPECT_TRUE(defaults.keepUnreadable("snippets", "not data"));
    EXPECT_TRUE(defaults.keepUnreadable("claudeModel", "not text"));
    EXPECT_FALSE(defaults.keepUnreadable("snippets", "not data"));
    EXPECT_FALSE(defaults.keepUnreadable("missing", "not text"));

    const auto records = log.sink().records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].level, platform::LogLevel::warning);
    EXPECT_NE(records[0].message.find("\"snippets\" cannot be read (not data)"), std::string::npos);
    EXPECT_NE(records[0].message.find("\"snippets.unreadable\""), std::string::npos);

    defaults.set("snippets", "replaced");
    defaults.set("claudeModel", "claude-sonnet-5");
    const auto file = json::parse(folder.read("defaults.json"));
    EXPECT_EQ(file["snippets.unreadable"], json::array({7}));
    EXPECT_EQ(file["claudeModel.unreadable"], json::array({nullptr}));
    EXPECT_EQ(file["snippets"], "replaced");
    EXPECT_FALSE(file.contains("pillEnabled.unreadable"));
}

TEST(UserDefaultsFile, AFileThatCannotBeReadIsNeverOverwritten) {
    const testsupport::TemporaryDirectory folder;
    // A folder in the file's place opens but cannot be read as a file.
    folder.write("defaults.json/user-data", "precious");
    const platform::ScopedLogCapture log;

    UserDefaults defaults(folder / "defaults.json");
    defaults.set("soundsEnabled", false);

    EXPECT_EQ(defaults.boolValue("soundsEnabled"), false);
    EXPECT_TRUE(log.contains("not saved"));
    EXPECT_EQ(folder.read("defaults.json/user-data"), "precious");
    EXPECT_TRUE(damagedCopies(folder.path()).empty());
}

} // namespace
