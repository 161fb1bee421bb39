#include "Hushframe/Audio/ChannelModeCoding.hpp"

#include <gtest/gtest.h>

#include <unordered_set>

namespace hushframe {
namespace {

using ChannelMode = AudioInputConfig::ChannelMode;
using Json = nlohmann::ordered_json;

TEST(ChannelModeCoding, EachCaseIsOneKeyWithItsPayloadUnderZero) {
    struct Case {
        const char* name;
        ChannelMode mode;
        const char* json;
    };
    for (const Case& c : {Case{"one channel", ChannelMode::specificChannel(1), R"({"specificChannel":{"_0":1}})"},
                          Case{"listed channels", ChannelMode::sumChannels(std::vector<int>{0, 1}),
                               R"({"sumChannels":{"_0":[0,1]}})"},
                          Case{"all channels", ChannelMode::sumChannels(), R"({"sumChannels":{}})"},
                          Case{"an empty list", ChannelMode::sumChannels(std::vector<int>{}), R"({"sumChannels":{"_0":[]}})"}}) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Json(c.mode).dump(), c.json);
        EXPECT_EQ(Json::parse(c.json).get<ChannelMode>(), c.mode);
    }
}

TEST(ChannelModeCoding, ExactlyOneCaseNameMustBeThere) {
    struct Case {
        const char* name;
        const char* json;
    };
    for (const Case& c : {Case{"both cases", R"({"specificChannel":{"_0":2},"sumChannels":{}})"},
                          Case{"no case", R"({})"}, Case{"only unknown keys", R"({"mixChannels":{}})"}}) {
        SCOPED_TRACE(c.name);
        try {
            Json::parse(c.json).get<ChannelMode>();
            ADD_FAILURE() << "decoded";
        } catch (const Json::type_error& error) {
            EXPECT_NE(std::string(error.what()).find("Invalid number of keys found, expected one."), std::string::npos);
        }
    }
    EXPECT_EQ(Json::parse(R"({"sumChannels":{},"other":1})").get<ChannelMode>(), ChannelMode::sumChannels());
    EXPECT_THROW(Json::parse(R"({"specificChannel":{}})").get<ChannelMode>(), Json::exception);
    EXPECT_THROW(Json::parse(R"({"sumChannels":{"_0":["a"]}})").get<ChannelMode>(), Json::exception);
}

TEST(ChannelModeCoding, EqualModesHashAlikeAndTheAbsentListDiffersFromAnEmptyOne) {
    const std::unordered_set<ChannelMode> modes{
        ChannelMode::sumChannels(), ChannelMode::sumChannels(), ChannelMode::sumChannels(std::vector<int>{}),
        ChannelMode::specificChannel(0), ChannelMode::sumChannels(std::vector<int>{0}), ChannelMode::specificChannel(0)};
    EXPECT_EQ(modes.size(), 4u);
    EXPECT_EQ(std::hash<ChannelMode>{}(ChannelMode::sumChannels(std::vector<int>{1, 2})),
              std::hash<ChannelMode>{}(ChannelMode::sumChannels(std::vector<int>{1, 2})));
    EXPECT_NE(ChannelMode::sumChannels(), ChannelMode::sumChannels(std::vector<int>{}));
}

} // namespace
} // namespace hushframe
