#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/ASR/Parakeet/ASRConfig.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/TdtDecoderState.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/TdtDecoderV2.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/TdtDurationMapping.hpp"
#include "RazeziRuzer/Shared/ANEMemoryError.hpp"

#include "Platform/CoreML/MLDictionaryFeatureProvider.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace razeziruzer {
namespace {

using platform::coreml::MLFeatureValue;
using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;

TEST(TdtConfigTests, DefaultValues) {
    const auto& config = TdtConfig::default_();
    EXPECT_TRUE(config.includeTokenDuration);
    EXPECT_EQ(config.maxSymbolsPerStep, 10);
    EXPECT_EQ(config.durationBins, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(config.blankId, 8192);
    EXPECT_EQ(config.boundarySearchFrames, 20);
    EXPECT_EQ(config.maxTokensPerChunk, 150);
    EXPECT_EQ(config.consecutiveBlankLimit, 5);
}

TEST(TdtDecoderStateTests, StartsZeroedForTheLayerCount) {
    for (const int layers : {1, 2}) {
        const auto state = TdtDecoderState::make(layers);
        const std::vector<std::int64_t> shape{layers, 1, 640};
        EXPECT_EQ(state.hiddenState.shape(), shape);
        EXPECT_EQ(state.cellState.shape(), shape);
        EXPECT_FALSE(state.hiddenState.sharesMemory(state.cellState));
        for (std::int64_t i = 0; i < state.hiddenState.count(); ++i) ASSERT_EQ(state.hiddenState[i].doubleValue(), 0);
        EXPECT_FALSE(state.lastToken || state.predictorOutput || state.timeJump);
    }
}

TEST(TdtDecoderStateTests, AFailedAllocationIsThrownNotFatal) {
    EXPECT_THROW(TdtDecoderState::make(-1), ANEMemoryError);
}

TEST(TdtDecoderStateTests, ResetZeroesTheSameArraysAndClearsCarriedValues) {
    auto state = TdtDecoderState::make(2);
    const auto hidden = state.hiddenState;
    state.hiddenState[5] = 3.0;
    state.cellState[7] = 4.0;
    state.lastToken = 9;
    state.predictorOutput = MLMultiArray({1, 640, 1}, MLMultiArrayDataType::float32);
    state.timeJump = 2;
    state.reset();
    EXPECT_TRUE(state.hiddenState.isIdentical(hidden));
    EXPECT_EQ(hidden[5].doubleValue(), 0);
    EXPECT_EQ(state.cellState[7].doubleValue(), 0);
    EXPECT_FALSE(state.lastToken || state.predictorOutput || state.timeJump);
}

TEST(TdtDecoderStateTests, UpdateTakesOnlyTheArraysPresent) {
    auto state = TdtDecoderState::make(2);
    const auto cell = state.cellState;
    const MLMultiArray newHidden({2, 1, 640}, MLMultiArrayDataType::float32, 1.0);
    state.update(platform::coreml::MLDictionaryFeatureProvider({{"h_out", MLFeatureValue(newHidden)},
                                                                {"c_out", MLFeatureValue(std::int64_t{3})}}));
    EXPECT_TRUE(state.hiddenState.isIdentical(newHidden));
    EXPECT_TRUE(state.cellState.isIdentical(cell));
}

TEST(TdtDurationMappingTests, MapsInRangeAndRejectsOutside) {
    const std::vector<int> bins{0, 1, 2, 3, 4};
    EXPECT_EQ(TdtDurationMapping::mapDurationBin(3, bins), 3);
    for (const int index : {5, -1}) {
        try {
            TdtDurationMapping::mapDurationBin(index, bins);
            ADD_FAILURE();
        } catch (const ASRError& error) {
            EXPECT_EQ(error.message(), "Duration bin index out of range: " + std::to_string(index));
        }
    }
}

TEST(TdtDecoderV2Tests, UsesBlank1024AndKeepsEverythingElse) {
    const TdtDecoderV2 adapted(ASRConfig::default_());
    EXPECT_EQ(adapted.config.tdtConfig().blankId, 1024);
    auto expected = TdtConfig::default_();
    expected.blankId = 1024;
    EXPECT_EQ(adapted.config.tdtConfig(), expected);
    EXPECT_EQ(adapted.config.parallelChunkConcurrency(), 4);
    EXPECT_EQ(TdtDecoderV2(adapted.config).config, adapted.config);
}

} // namespace
} // namespace razeziruzer
