#include "Platform/Defaults/UserDefaults.hpp"

#include "Platform/Core/Error.hpp"
#include "Platform/Core/Logger.hpp"
#include "Platform/Files/FileContents.hpp"
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

std::string nestedArrays(int depth) { return std::string(depth, '[') + std::string(depth, ']'); }

// The file's own object counts as one level: a value of 99 nested arrays
// fills the 100 levels a file may hold.
TEST(UserDefaultsFile, NestingBeyondTheLimitIsDamageAndNeverOverflowsTheStack) {
    struct Case {
        const char* name;
        int arrays;
        bool damaged;
    };
    for (const auto& [name, arrays, damaged] : {Case{"at the limit", 99, false}, Case{"one past it", 100, true},
                                                Case{"sixty thousand deep", 60000, true}}) {
        const testsupport::TemporaryDirectory folder;
        const std::string text = "{\"soundsEnabled\": false, \"deep\": " + nestedArrays(arrays) + "}";
        folder.write("defaults.json", text);
        const platform::ScopedLogCapture log;

        UserDefaults defaults(folder / "defaults.json");
        defaults.registerDefaults({{"soundsEnabled", true}});
        defaults.set("other", true);

        if (!damaged) {
            EXPECT_TRUE(damagedCopies(folder.path()).empty()) << name;
            EXPECT_TRUE(defaults.arrayValue("deep").has_value()) << name;
            EXPECT_EQ(defaults.boolValue("soundsEnabled"), false) << name;
            continue;
        }
        EXPECT_TRUE(log.contains("nested deeper than 100 levels")) << name;
        EXPECT_EQ(defaults.boolValue("soundsEnabled"), true) << name;
        EXPECT_FALSE(defaults.contains("deep")) << name;
        const auto copies = damagedCopies(folder.path());
        ASSERT_EQ(copies.size(), 1u) << name;
        EXPECT_EQ(folder.read(copies[0].filename().string()), text) << name;
        EXPECT_EQ(json::parse(folder.read("defaults.json")), json({{"other", true}})) << name;
    }
}

// Whatever is written must read back, also after it has been kept aside
// under its ".unreadable" key.
TEST(UserDefaultsFile, ValuesTooDeepForTheFileAreRefusedAndKeptAsideValuesStayReadable) {
    const testsupport::TemporaryDirectory folder;
    const auto nested = [](int levels) {
        platform::DefaultsValue value(std::int64_t{1});
        for (int level = 0; level < levels; ++level) value = platform::DefaultsValue(platform::DefaultsValue::Array{value});
        return value;
    };
    {
        UserDefaults defaults(folder / "defaults.json");
        EXPECT_THROW(defaults.set("deep", nested(99)), platform::Error);
        EXPECT_FALSE(defaults.contains("deep"));
        defaults.set("deep", nested(98));
        EXPECT_TRUE(defaults.keepUnreadable("deep", "not text"));
    }
    UserDefaults reopened(folder / "defaults.json");
    EXPECT_TRUE(damagedCopies(folder.path()).empty());
    EXPECT_TRUE(reopened.arrayValue("deep").has_value());
    EXPECT_TRUE(reopened.arrayValue(UserDefaults::unreadableKey("deep")).has_value());
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

// Another program's atomic save of the whole file.
void saveElsewhere(const testsupport::TemporaryDirectory& folder, const json& contents) {
    platform::files::writeAtomically(folder / "defaults.json", contents.dump());
}

// A save writes what this process changed over the file as it is then, so
// another program's edits to other keys survive, and are taken in.
TEST(UserDefaultsFile, ASaveKeepsWhatAnotherProgramChangedMeanwhile) {
    const testsupport::TemporaryDirectory folder;
    folder.write("defaults.json", R"({"mine": 1, "theirs": 1, "dropped": 1})");
    UserDefaults defaults(folder / "defaults.json");
    std::vector<std::string> announced;
    const auto observer = defaults.changed().connect([&](const std::string& key) { announced.push_back(key); });

    saveElsewhere(folder, {{"mine", 1}, {"theirs", 2}, {"added", "by them"}});
    defaults.set("mine", 5);

    EXPECT_EQ(json::parse(folder.read("defaults.json")), json({{"mine", 5}, {"theirs", 2}, {"added", "by them"}}));
    EXPECT_EQ(defaults.integerValue("theirs"), 2);
    EXPECT_EQ(defaults.stringValue("added"), "by them");
    EXPECT_FALSE(defaults.contains("dropped"));
    std::sort(announced.begin(), announced.end());
    EXPECT_EQ(announced, (std::vector<std::string>{"added", "dropped", "mine", "theirs"}));
}

TEST(UserDefaultsFile, ReloadTakesInOutsideChangesAndAnnouncesEachChangedKey) {
    struct Case {
        const char* name;
        json onDisk;
        std::vector<std::string> announced;
    };
    const json start{{"a", 1}, {"b", "text"}, {"c", true}};
    const std::vector<Case> cases{
        {"a value changed", {{"a", 2}, {"b", "text"}, {"c", true}}, {"a"}},
        {"a key added and one removed", {{"a", 1}, {"b", "text"}, {"d", 4.5}}, {"c", "d"}},
        {"the same values written again", {{"c", true}, {"b", "text"}, {"a", 1}}, {}},
        {"the file deleted", nullptr, {"a", "b", "c"}},
    };
    for (const auto& entry : cases) {
        const testsupport::TemporaryDirectory folder;
        folder.write("defaults.json", start.dump());
        UserDefaults defaults(folder / "defaults.json");
        std::vector<std::string> announced;
        const auto observer = defaults.changed().connect([&](const std::string& key) { announced.push_back(key); });

        defaults.reloadIfChangedOnDisk();
        EXPECT_TRUE(announced.empty()) << entry.name;
        if (entry.onDisk.is_null()) {
            fs::remove(folder / "defaults.json");
        } else {
            saveElsewhere(folder, entry.onDisk);
        }
        defaults.reloadIfChangedOnDisk();
        defaults.reloadIfChangedOnDisk();
        std::sort(announced.begin(), announced.end());
        EXPECT_EQ(announced, entry.announced) << entry.name;
        for (const auto& key : {"a", "b", "c", "d"}) {
            const bool expected = entry.onDisk.is_object() && entry.onDisk.contains(key);
            EXPECT_EQ(defaults.contains(key), expected) << entry.name << " " << key;
        }
    }
}

// A damaged file written by another program changes nothing in use; the
// next save keeps it aside, as at start, and writes the values in use.
TEST(UserDefaultsFile, AnOutsideEditThatDamagesTheFileIsKeptAsideAtTheNextSave) {
    const testsupport::TemporaryDirectory folder;
    folder.write("defaults.json", R"({"a": 1})");
    const platform::ScopedLogCapture log;
    UserDefaults defaults(folder / "defaults.json");
    folder.write("defaults.json", "{\"a\": 2, half written");
    defaults.reloadIfChangedOnDisk();
    EXPECT_EQ(defaults.integerValue("a"), 1);
    EXPECT_TRUE(log.contains("was changed by another program and is not JSON"));

    defaults.set("b", 2);
    EXPECT_EQ(json::parse(folder.read("defaults.json")), json({{"a", 1}, {"b", 2}}));
    const auto copies = damagedCopies(folder.path());
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(folder.read(copies[0].filename().string()), "{\"a\": 2, half written");
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
