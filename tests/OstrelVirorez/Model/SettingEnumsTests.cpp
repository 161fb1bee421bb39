#include "OstrelVirorez/Model/SettingEnums.hpp"

#include <gtest/gtest.h>

namespace {

using namespace ostrelvirorez;

TEST(SettingEnums, RawValuesRoundTripAndAnythingElseIsRejected) {
    for (const auto type : allEngineTypes) EXPECT_EQ(fromRawValue<EngineType>(rawValue(type)), type);
    for (const auto provider : allRewriteProviders) EXPECT_EQ(fromRawValue<RewriteProvider>(rawValue(provider)), provider);
    for (const auto position : allPillPositions) EXPECT_EQ(fromRawValue<PillPosition>(rawValue(position)), position);
    EXPECT_EQ(rawValue(EngineType::appleSpeech), "appleSpeech");
    EXPECT_FALSE(fromRawValue<EngineType>("Parakeet").has_value());
    EXPECT_FALSE(fromRawValue<EngineType>("").has_value());
    EXPECT_FALSE(fromRawValue<RewriteProvider>("Claude").has_value());
}

} // namespace
