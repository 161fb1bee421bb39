#include "Platform/Defaults/UserDefaults.hpp"

#include "Platform/Core/Error.hpp"
#include "tests/Support/ScopedEnvironment.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <thread>

namespace {

using platform::DefaultsValue;
using platform::UserDefaults;
using Data = DefaultsValue::Data;
using Array = DefaultsValue::Array;
using Dictionary = DefaultsValue::Dictionary;

struct Reads {
    bool boolean, integer, floating, text, data, array, dictionary;
};

Reads readsOf(const UserDefaults& defaults, const std::string& key) {
    return {defaults.boolValue(key).has_value(),  defaults.integerValue(key).has_value(),
            defaults.doubleValue(key).has_value(), defaults.stringValue(key).has_value(),
            defaults.dataValue(key).has_value(),   defaults.arrayValue(key).has_value(),
            defaults.dictionaryValue(key).has_value()};
}

TEST(UserDefaults, EachTypedReadAnswersOnlyForItsOwnKind) {
    const testsupport::TemporaryDirectory folder;
    UserDefaults defaults(folder / "defaults.json");
    const std::pair<DefaultsValue, Reads> cases[] = {
        {true, {true, false, false, false, false, false, false}},
        {1, {false, true, false, false, false, false, false}},
        {1.0, {false, false, true, false, false, false, false}},
        {"1", {false, false, false, true, false, false, false}},
        {Data{1}, {false, false, false, false, true, false, false}},
        {Array{1}, {false, false, false, false, false, true, false}},
        {Dictionary{{"a", 1}}, {false, false, false, false, false, false, true}},
    };
    for (std::size_t index = 0; index < std::size(cases); ++index) {
        const auto& [value, expected] = cases[index];
        defaults.set("key", value);
        const auto reads = readsOf(defaults, "key");
        EXPECT_EQ(reads.boolean, expected.boolean) << index;
        EXPECT_EQ(reads.integer, expected.integer) << index;
        EXPECT_EQ(reads.floating, expected.floating) << index;
        EXPECT_EQ(reads.text, expected.text) << index;
        EXPECT_EQ(reads.data, expected.data) << index;
        EXPECT_EQ(reads.array, expected.array) << index;
        EXPECT_EQ(reads.dictionary, expected.dictionary) << index;
    }
}

TEST(UserDefaults, DefaultingReadsGiveFalseAndZeroForMissingOrOtherKinds) {
    const testsupport::TemporaryDirectory folder;
    UserDefaults defaults(folder / "defaults.json");
    EXPECT_FALSE(defaults.contains("showDockIcon"));
    EXPECT_FALSE(defaults.boolOrFalse("showDockIcon"));
    EXPECT_EQ(defaults.integerOrZero("virorezKeyCode"), 0);
    EXPECT_EQ(defaults.doubleOrZero("audioDuckingLevel"), 0.0);
    EXPECT_FALSE(defaults.stringValue("claudeModel"));

    defaults.set("showDockIcon", "yes");
    defaults.set("virorezKeyCode", 54.0);
    EXPECT_FALSE(defaults.boolOrFalse("showDockIcon"));
    EXPECT_EQ(defaults.integerOrZero("virorezKeyCode"), 0);

    defaults.set("showDockIcon", true);
    defaults.set("virorezKeyCode", 54);
    EXPECT_TRUE(defaults.boolOrFalse("showDockIcon"));
    EXPECT_EQ(defaults.integerOrZero("virorezKeyCode"), 54);
}

TEST(UserDefaults, RegisteredDefaultsAnswerUntilWrittenAndAreNeverSaved) {
    const testsupport::TemporaryDirectory folder;
    const auto file = folder / "defaults.json";
    {
        UserDefaults defaults(file);
        defaults.registerDefaults({{"soundsEnabled", true}, {"audioDuckingLevel", 0.2}});
        defaults.registerDefaults({{"audioDuckingLevel", 0.3}});
        EXPECT_TRUE(defaults.contains("soundsEnabled"));
        EXPECT_EQ(defaults.boolValue("soundsEnabled"), true);
        EXPECT_EQ(defaults.doubleValue("audioDuckingLevel"), 0.3);

        defaults.set("soundsEnabled", false);
        EXPECT_EQ(defaults.boolValue("soundsEnabled"), false);
        // A written value of another kind hides the default rather than
        // falling back to it.
        defaults.set("audioDuckingLevel", "loud");
        EXPECT_FALSE(defaults.doubleValue("audioDuckingLevel"));

        defaults.remove("audioDuckingLevel");
        EXPECT_EQ(defaults.doubleValue("audioDuckingLevel"), 0.3);
        EXPECT_EQ(folder.read("defaults.json").find("audioDuckingLevel"), std::string::npos);
    }
    UserDefaults reopened(file);
    EXPECT_EQ(reopened.boolValue("soundsEnabled"), false);
    EXPECT_FALSE(reopened.contains("audioDuckingLevel"));
}

TEST(UserDefaults, EveryKindOfValueSurvivesTheFile) {
    const testsupport::TemporaryDirectory folder;
    const auto file = folder / "defaults.json";
    Data allBytes(256);
    for (std::size_t index = 0; index < allBytes.size(); ++index) allBytes[index] = static_cast<std::uint8_t>(index);
    const Dictionary values{
        {"true", true},
        {"false", false},
        {"zero", 0},
        {"largest", std::numeric_limits<std::int64_t>::max()},
        {"smallest", std::numeric_limits<std::int64_t>::min()},
        {"whole double", 2.0},
        {"fraction", 0.1},
        {"negative zero", -0.0},
        {"huge", 1e300},
        {"empty text", ""},
        {"text", "Grüße, 👋 \"quoted\"\n"},
        {"text like bytes", "AAEC"},
        {"empty data", Data{}},
        {"data", allBytes},
        {"empty array", Array{}},
        {"empty dictionary", Dictionary{}},
        {"dictionary keyed like bytes", Dictionary{{"$data", "AAEC"}}},
        {"dictionary keyed like a dictionary", Dictionary{{"$dictionary", Dictionary{{"$data", 1}}}}},
        {"nested", Array{Dictionary{{"id", "A"}, {"payload", Data{1, 2, 3}}, {"tags", Array{"x", 1, 2.5, true}}},
                         Array{DefaultsValue(Array{})}}},
    };
    {
        UserDefaults defaults(file);
        for (const auto& [key, value] : values) defaults.set(key, value);
    }
    const UserDefaults reopened(file);
    for (const auto& [key, value] : values) {
        EXPECT_EQ(reopened.value(key), value) << key;
    }
    EXPECT_TRUE(std::signbit(*reopened.doubleValue("negative zero")));
    EXPECT_FALSE(reopened.dataValue("text like bytes"));
    EXPECT_FALSE(reopened.stringValue("data"));
}

TEST(UserDefaults, InstancesOnOneFileShareValuesAndChangeSignal) {
    const testsupport::TemporaryDirectory folder;
    std::filesystem::create_directories(folder / "sub");
    UserDefaults first(folder / "defaults.json");
    UserDefaults second(folder / "sub" / ".." / "defaults.json");
    std::vector<std::string> changes;
    const auto connection = first.changed().connect([&](const std::string& key) { changes.push_back(key); });

    second.registerDefaults({{"pillEnabled", true}});
    second.set("claudeModel", "claude-sonnet-5");
    second.set("claudeModel", "claude-sonnet-5");
    EXPECT_EQ(first.stringValue("claudeModel"), "claude-sonnet-5");
    EXPECT_EQ(first.boolValue("pillEnabled"), true);

    second.remove("claudeModel");
    second.remove("neverWritten");
    EXPECT_FALSE(first.contains("claudeModel"));

    first.set("selectedEngine", "parakeet");
    EXPECT_EQ(second.stringValue("selectedEngine"), "parakeet");
    EXPECT_EQ(changes, (std::vector<std::string>{"claudeModel", "claudeModel", "claudeModel", "selectedEngine"}));
}

TEST(UserDefaults, ConcurrentWritersThroughSeveralInstancesLoseNothing) {
    const testsupport::TemporaryDirectory folder;
    const auto file = folder / "defaults.json";
    constexpr int writers = 4;
    constexpr int writesEach = 15;
    std::atomic<int> signalled = 0;
    {
        std::vector<std::unique_ptr<UserDefaults>> instances;
        for (int index = 0; index < writers; ++index) instances.push_back(std::make_unique<UserDefaults>(file));
        const auto connection = instances[0]->changed().connect([&](const std::string&) { ++signalled; });
        std::vector<std::jthread> threads;
        for (int writer = 0; writer < writers; ++writer) {
            threads.emplace_back([&, writer] {
                for (int write = 0; write < writesEach; ++write) {
                    instances[writer]->set("w" + std::to_string(writer) + "-" + std::to_string(write), write);
                }
            });
        }
    }
    EXPECT_EQ(signalled, writers * writesEach);
    const UserDefaults reopened(file);
    for (int writer = 0; writer < writers; ++writer) {
        for (int write = 0; write < writesEach; ++write) {
            EXPECT_EQ(reopened.integerValue("w" + std::to_string(writer) + "-" + std::to_string(write)), write);
        }
    }
}

TEST(UserDefaults, WritesThatJsonCannotHoldAreRefusedAndChangeNothing) {
    const testsupport::TemporaryDirectory folder;
    UserDefaults defaults(folder / "defaults.json");
    defaults.set("level", 0.5);
    int changes = 0;
    const auto connection = defaults.changed().connect([&](const std::string&) { ++changes; });

    const DefaultsValue refused[] = {
        std::numeric_limits<double>::quiet_NaN(),
        Array{1, std::numeric_limits<double>::infinity()},
        std::string("\xff\xfe"),
        Dictionary{{"\xc3", 1}},
    };
    for (const auto& value : refused) EXPECT_THROW(defaults.set("level", value), platform::Error);
    EXPECT_THROW(defaults.set("\xff", 1), platform::Error);

    EXPECT_EQ(changes, 0);
    EXPECT_EQ(defaults.doubleValue("level"), 0.5);
    defaults.set("other", 1);
    EXPECT_NE(folder.read("defaults.json").find("\"other\""), std::string::npos);
}

TEST(UserDefaults, StandardStoreLivesBelowTheConfigurationFolder) {
    testsupport::ScopedEnvironment environment;
    environment.set("XDG_CONFIG_HOME", "/srv/config");
    EXPECT_EQ(UserDefaults::standardFile(), std::filesystem::path("/srv/config/OstrelVirorez/OstrelVirorez.json"));
}

} // namespace
