#include "RazeziRuzer/Shared/ZeroCopyDiarizerFeatureProvider.hpp"
#include "RazeziRuzer/Shared/ZeroCopyFeatureProvider.hpp"

#include "Platform/CoreML/MLDictionaryFeatureProvider.hpp"

#include <gtest/gtest.h>

namespace razeziruzer {
namespace {

using namespace platform::coreml;
using Names = std::set<std::string>;

MLMultiArray arrayOf(double value) { return MLMultiArray({2}, MLMultiArrayDataType::float32, value); }

TEST(ZeroCopyFeatureProviderTests, ChainRelabelsOneOutputWithoutCopyingIt) {
    const auto encoded = arrayOf(1.0);
    const MLDictionaryFeatureProvider output({{"encoder", encoded}, {"encoder_length", MLFeatureValue(std::int64_t{2})}});

    const auto chained = ZeroCopyFeatureProvider::chain(output, "encoder", "audio_features");
    ASSERT_TRUE(chained.has_value());
    EXPECT_EQ(chained->featureNames(), Names{"audio_features"});
    EXPECT_TRUE(chained->featureValue("audio_features")->multiArrayValue()->isIdentical(encoded));
    EXPECT_FALSE(chained->featureValue("encoder").has_value());
    EXPECT_FALSE(ZeroCopyFeatureProvider::chain(output, "missing", "x").has_value());
}

TEST(ZeroCopyFeatureProviderTests, DiarizerChainAddsFeaturesAndTheChainedOneWins) {
    const auto segments = arrayOf(1.0);
    const MLDictionaryFeatureProvider output({{"segments", segments}});
    const auto chained = ZeroCopyDiarizerFeatureProvider::chain(
        output, "segments", "input", {{"input", arrayOf(5.0)}, {"mask", arrayOf(0.0)}});
    ASSERT_TRUE(chained.has_value());
    EXPECT_EQ(chained->featureNames(), (Names{"input", "mask"}));
    EXPECT_TRUE(chained->featureValue("input")->multiArrayValue()->isIdentical(segments));
    EXPECT_FALSE(ZeroCopyDiarizerFeatureProvider::chain(output, "embeddings", "input", {}).has_value());
}

TEST(ZeroCopyFeatureProviderTests, BatchPairsWaveformsWithMasksUpToTheShorterList) {
    const std::vector<MLMultiArray> waveforms = {arrayOf(1), arrayOf(2), arrayOf(3)};
    const std::vector<MLMultiArray> masks = {arrayOf(10), arrayOf(20)};
    const auto providers = ZeroCopyDiarizerFeatureProvider::batchProvider(waveforms, masks);
    ASSERT_EQ(providers.size(), 2u);
    for (std::size_t i = 0; i < providers.size(); ++i) {
        EXPECT_EQ(providers[i].featureNames(), (Names{"mask", "waveform"}));
        EXPECT_TRUE(providers[i].featureValue("waveform")->multiArrayValue()->isIdentical(waveforms[i]));
        EXPECT_TRUE(providers[i].featureValue("mask")->multiArrayValue()->isIdentical(masks[i]));
    }
    EXPECT_TRUE(ZeroCopyDiarizerFeatureProvider::batchProvider({}, masks).empty());
}

} // namespace
} // namespace razeziruzer
