#include "Hushframe/Core/Models/Constants.hpp"
#include "Hushframe/Core/Models/ModelSupportConfig.hpp"
#include "Hushframe/Core/Models/ModelUtilities.hpp"
#include "tests/Hushframe/Core/JsonKeys.hpp"
#include "tests/Hushframe/Core/PackageLogCapture.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace hushframe {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAreArray;

const ModelSupportConfig& fallback() { return Constants::fallbackModelSupportConfig(); }

TEST(ModelSupportConfigTests, BuiltInConfigurationDerivesKnownModelsAndDisabledLists) {
    const auto& config = fallback();
    EXPECT_EQ(config.repoName, "hushframe-coreml-fallback");
    EXPECT_EQ(config.repoVersion, "0.4");
    ASSERT_EQ(config.deviceSupports.size(), 6U);
    ASSERT_EQ(config.knownModels.size(), 22U);
    EXPECT_EQ(Constants::knownModels(), config.knownModels);
    // First appearance order: row 1's list, then what row 2 adds, then row 3's full-size names.
    EXPECT_EQ(config.knownModels[0], "openai_whisper-base");
    EXPECT_EQ(config.knownModels[4], "openai_whisper-small");
    EXPECT_EQ(config.knownModels[14], "openai_whisper-large-v2");
    EXPECT_EQ(config.knownModels[21], "openai_whisper-large-v3-v20240930_turbo");

    EXPECT_THAT(config.deviceSupports[3].models.disabled, IsEmpty());
    // Row 1 supports four names, so the other eighteen are disabled there.
    std::vector<std::string> expectedDisabled(config.knownModels.begin() + 4, config.knownModels.end());
    EXPECT_THAT(config.deviceSupports[0].models.disabled, UnorderedElementsAreArray(expectedDisabled));

    EXPECT_EQ(config.defaultSupport.models.default_, "openai_whisper-base");
    EXPECT_EQ(config.defaultSupport.models.supported, config.knownModels);
    EXPECT_FALSE(config.defaultSupport.chips.has_value());
}

TEST(ModelSupportConfigTests, DevicesMatchTheLongestIdentifierPrefix) {
    struct Case {
        std::string device;
        std::string expectedDefault;
        std::size_t expectedSupportedCount;
    };
    const std::vector<Case> cases = {
        {"iPad13,10", "openai_whisper-large-v3-v20240930_626MB", 13},  // not row 5's "iPad13,1"
        {"iPad13,1", "openai_whisper-base", 6},
        {"iPad14,10", "openai_whisper-large-v3-v20240930", 22},        // not row 6's "iPad14,1"
        {"Mac14,2", "openai_whisper-large-v3-v20240930", 22},
        {"MacBookPro18,3", "openai_whisper-large-v3-v20240930_626MB", 13},
        {"iPhone15,2", "openai_whisper-base", 14},
        {"iPhone11,8", "openai_whisper-tiny", 4},
    };
    for (const auto& c : cases) {
        const ModelSupport support = fallback().modelSupport(c.device);
        EXPECT_EQ(support.default_, c.expectedDefault) << c.device;
        EXPECT_EQ(support.supported.size(), c.expectedSupportedCount) << c.device;
    }
}

TEST(ModelSupportConfigTests, MatchingLogsTheMatchedEntryOrTheFallbackToDefault) {
    testing::PackageLogCapture log;
    fallback().modelSupport("iPhone14,5");
    const ModelSupport unknown = fallback().modelSupport("Pixel8");

    EXPECT_EQ(unknown, fallback().defaultSupport.models);
    EXPECT_THAT(log.messages(),
                ElementsAre("Matched iPhone14,5 to devices: [\"iPhone14\", \"iPad14,1\", \"iPad14,2\"]",
                            "No device support found for Pixel8, using default"));
}

DeviceSupport entry(std::vector<std::string> identifiers, std::string defaultModel,
                    std::vector<std::string> supported) {
    return DeviceSupport{std::nullopt, std::move(identifiers), ModelSupport{std::move(defaultModel), std::move(supported), {}}};
}

TEST(ModelSupportConfigTests, ConfigurationOfTheDefaultRepositoryIsMergedWithTheBuiltInOne) {
    const ModelSupportConfig config("hushframe-coreml", "1.0",
                                    {entry({"Mac14"}, "openai_whisper-large-v3", {"openai_whisper-large-v3"})}, true);

    ASSERT_EQ(config.deviceSupports.size(), 6U);
    const auto& merged = config.deviceSupports[0];
    EXPECT_EQ(merged.identifiers, std::vector<std::string>{"Mac14"});
    EXPECT_EQ(merged.models.default_, "openai_whisper-large-v3");
    // The remote list first, then row 4's list without the repeated name.
    ASSERT_EQ(merged.models.supported.size(), 22U);
    EXPECT_EQ(merged.models.supported[0], "openai_whisper-large-v3");
    EXPECT_EQ(merged.models.supported[1], "openai_whisper-tiny");
    EXPECT_EQ(std::count(merged.models.supported.begin(), merged.models.supported.end(), "openai_whisper-large-v3"), 1);
    // Rows 1, 2, 3, 5 and 6 follow unchanged; row 4 is gone.
    const auto& rows = fallback().deviceSupports;
    EXPECT_EQ(config.deviceSupports[1].identifiers, rows[0].identifiers);
    EXPECT_EQ(config.deviceSupports[2].identifiers, rows[1].identifiers);
    EXPECT_EQ(config.deviceSupports[3].identifiers, rows[2].identifiers);
    EXPECT_EQ(config.deviceSupports[4].identifiers, rows[4].identifiers);
    EXPECT_EQ(config.deviceSupports[5].identifiers, rows[5].identifiers);
    // A device of the dropped row's other identifiers now gets the default.
    EXPECT_EQ(config.modelSupport("Mac15,3").default_, "openai_whisper-base");
}

TEST(ModelSupportConfigTests, UnrelatedOrUnmergedConfigurationKeepsOnlyItsOwnEntries) {
    const std::vector<DeviceSupport> remote = {entry({"Mac14"}, "openai_whisper-large-v3", {"openai_whisper-large-v3"})};
    for (const auto& config : {ModelSupportConfig("hushframe-coreml", "1.0", remote, false),
                               ModelSupportConfig("someone-else/models", "1.0", remote, true)}) {
        ASSERT_EQ(config.deviceSupports.size(), 1U) << config.repoName;
        EXPECT_EQ(config.knownModels, std::vector<std::string>{"openai_whisper-large-v3"});
        const ModelSupport other = config.modelSupport("iPhone15,2");
        EXPECT_EQ(other.default_, "openai_whisper-base");
        EXPECT_EQ(other.supported, std::vector<std::string>{"openai_whisper-large-v3"});
    }
}

TEST(ModelSupportConfigTests, LongerPrefixInALaterEntryWinsAndEqualLengthKeepsTheFirst) {
    const ModelSupportConfig config("custom", "1",
                                    {entry({"Mac14"}, "first", {"a"}), entry({"Mac14,1"}, "second", {"b"}),
                                     entry({"Mac14"}, "third", {"c"})},
                                    false);
    EXPECT_EQ(ModelUtilities::modelSupport("Mac14,12", config).default_, "second");
    EXPECT_EQ(ModelUtilities::modelSupport("Mac14,2", config).default_, "first");
    EXPECT_EQ(ModelUtilities::modelSupport("iMac1", config).default_, "openai_whisper-base");
    // Without a configuration the built-in one answers.
    EXPECT_EQ(ModelUtilities::modelSupport("Mac14,2").default_, "openai_whisper-large-v3-v20240930");
}

TEST(ModelSupportConfigTests, JsonReadsWithFallbackAndWritesOnlyItsOwnKeys) {
    const auto json = nlohmann::ordered_json::parse(R"({
        "name": "hushframe-coreml", "version": "2.0", "extra": true,
        "device_support": [
            {"identifiers": ["Mac14"], "models": {"default": "openai_whisper-large-v3", "supported": ["openai_whisper-large-v3"]}},
            {"chips": "Z9", "identifiers": ["Zed1"], "models": {"default": "z", "supported": ["z"], "disabled": ["ignored"]}}
        ]})");
    const auto config = json.get<ModelSupportConfig>();
    ASSERT_EQ(config.deviceSupports.size(), 7U);  // two remote entries, five untouched built-in rows
    EXPECT_FALSE(config.deviceSupports[0].chips.has_value());
    EXPECT_EQ(config.deviceSupports[1].chips, "Z9");
    EXPECT_THAT(config.deviceSupports[1].models.disabled, Contains("openai_whisper-large-v3"));
    EXPECT_THAT(config.deviceSupports[1].models.disabled, ::testing::Not(Contains("ignored")));

    const nlohmann::ordered_json written = config;
    EXPECT_EQ(testing::keysOf(written), (std::vector<std::string>{"name", "version", "device_support"}));
    EXPECT_EQ(written.at("name"), "hushframe-coreml");
    const auto& first = written.at("device_support").at(0);
    EXPECT_FALSE(first.contains("chips"));
    EXPECT_EQ(first.at("models").at("default"), "openai_whisper-large-v3");
    EXPECT_EQ(first.at("models").at("supported").at(0), "openai_whisper-large-v3");
    EXPECT_FALSE(first.at("models").contains("disabled"));
    EXPECT_EQ(written.at("device_support").at(1).at("chips"), "Z9");
}

TEST(ModelSupportConfigTests, JsonWithoutARequiredKeyOrWithAWrongTypeFails) {
    const auto valid = nlohmann::ordered_json::parse(R"({"name": "r", "version": "1",
        "device_support": [{"identifiers": ["A"], "models": {"default": "d", "supported": ["d"]}}]})");
    const std::vector<nlohmann::ordered_json::json_pointer> required = {
        nlohmann::ordered_json::json_pointer("/name"), nlohmann::ordered_json::json_pointer("/version"),
        nlohmann::ordered_json::json_pointer("/device_support"),
        nlohmann::ordered_json::json_pointer("/device_support/0/identifiers"),
        nlohmann::ordered_json::json_pointer("/device_support/0/models/default"),
        nlohmann::ordered_json::json_pointer("/device_support/0/models/supported")};
    for (const auto& pointer : required) {
        auto broken = valid;
        broken[pointer.parent_pointer()].erase(pointer.back());
        EXPECT_THROW(broken.get<ModelSupportConfig>(), nlohmann::ordered_json::exception) << pointer.to_string();
    }
    auto wrongType = valid;
    wrongType["version"] = 1;
    EXPECT_THROW(wrongType.get<ModelSupportConfig>(), nlohmann::ordered_json::exception);
}

} // namespace
} // namespace hushframe
