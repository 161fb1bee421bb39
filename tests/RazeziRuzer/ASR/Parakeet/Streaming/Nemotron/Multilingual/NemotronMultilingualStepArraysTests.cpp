// The array steps between model runs: the mel window and its carried frames,
// encoder frames read through any strides and element type into step buffers
// whose size is checked, the decoder slice and the arg max.

#include "Platform/Accel/Float16.hpp"
#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NemotronMultilingualStepArrays.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace razeziruzer::multilingualarrays {
namespace {

using platform::coreml::MLMultiArrayDataType;

// [1, bins, frames] whose element (0, m, f) is 100 m + f + offset.
MLMultiArray melFrames(std::int64_t bins, std::int64_t frames, float offset = 0) {
    MLMultiArray mel({1, bins, frames}, MLMultiArrayDataType::float32);
    for (std::int64_t m = 0; m < bins; ++m) {
        for (std::int64_t f = 0; f < frames; ++f) mel[{0, m, f}] = 100.0 * m + f + offset;
    }
    return mel;
}

float at(const MLMultiArray& array, std::int64_t m, std::int64_t f) { return array[{0, m, f}].floatValue(); }

// A transposed view: logical [1, rows, columns] over storage laid out [1, columns, rows].
MLMultiArray transposedView(const MLMultiArray& storage) {
    const auto& shape = storage.shape();
    return MLMultiArray(storage.dataPointer(), {1, shape[2], shape[1]}, storage.dataType(), {shape[1] * shape[2], 1, shape[2]},
                        [keep = storage](void*) {});
}

TEST(NemotronMultilingualStepArrays, TheMelWindowPutsCachedFramesFirstAndTheChunkAfterThem) {
    const MelGeometry geometry{2, 12, 3};
    struct Case {
        std::string name;
        std::optional<MLMultiArray> cache;
        std::int64_t chunkFrames;
        std::vector<float> band1;  // expected window row 1
    };
    const auto cache2 = melFrames(2, 2, 50);
    for (const auto& c : std::vector<Case>{
             {"noCache", std::nullopt, 9, {0, 0, 0, 100, 101, 102, 103, 104, 105, 106, 107, 108}},
             {"fullCache", melFrames(2, 3, 50), 9, {150, 151, 152, 100, 101, 102, 103, 104, 105, 106, 107, 108}},
             {"shortCacheLeavesAGap", cache2, 9, {150, 151, 0, 100, 101, 102, 103, 104, 105, 106, 107, 108}},
             {"longerChunkIsCut", std::nullopt, 10, {0, 0, 0, 100, 101, 102, 103, 104, 105, 106, 107, 108}},
             {"shorterChunkLeavesZeros", std::nullopt, 8, {0, 0, 0, 100, 101, 102, 103, 104, 105, 106, 107, 0}}}) {
        const auto window = prependMelCache(c.cache, melFrames(2, c.chunkFrames), geometry);
        ASSERT_EQ(window.shape(), (std::vector<std::int64_t>{1, 2, 12})) << c.name;
        std::vector<float> band1;
        for (std::int64_t f = 0; f < 12; ++f) band1.push_back(at(window, 1, f));
        EXPECT_EQ(band1, c.band1) << c.name;
    }
    EXPECT_THROW(prependMelCache(melFrames(2, 4), melFrames(2, 9), geometry), ASRError);
    EXPECT_THROW(prependMelCache(std::nullopt, MLMultiArray({2, 9}, MLMultiArrayDataType::float32), geometry), ASRError);
}

TEST(NemotronMultilingualStepArrays, TheCacheIsTheChunksOwnLastFrames) {
    const MelGeometry geometry{2, 12, 3};
    const auto cache = extractMelCache(melFrames(2, 9), geometry);
    ASSERT_EQ(cache.shape(), (std::vector<std::int64_t>{1, 2, 3}));
    EXPECT_EQ(at(cache, 1, 0), 106);
    EXPECT_EQ(at(cache, 1, 2), 108);
    const auto shortCache = extractMelCache(melFrames(2, 2), geometry);
    EXPECT_EQ(shortCache.shape(), (std::vector<std::int64_t>{1, 2, 2}));
    EXPECT_EQ(at(shortCache, 0, 1), 1);
    // Read through strides: the transposed storage gives the same frames.
    const auto view = transposedView(melFrames(9, 2));  // logical [1, 2, 9]
    EXPECT_EQ(at(extractMelCache(view, geometry), 1, 0), at(view, 1, 6));
}

TEST(NemotronMultilingualStepArrays, EncoderStepsAreReadThroughStridesAndConvertedFromHalfFloats) {
    auto encoded = melFrames(4, 5);  // [1, D = 4, T = 5]
    auto step = extractEncoderStep(encoded, 3);
    EXPECT_EQ(step.shape(), (std::vector<std::int64_t>{1, 4, 1}));
    EXPECT_EQ(step[2].floatValue(), 203);
    const auto view = transposedView(melFrames(5, 4));  // logical [1, 4, 5], column-major storage
    fillEncoderStep(step, view, 3);
    EXPECT_EQ(step[2].floatValue(), at(view, 2, 3));

    MLMultiArray half({1, 5, 640}, MLMultiArrayDataType::float16);
    half[{0, 2, 639}] = 0.333251953125;  // exactly representable
    half[{0, 2, 0}] = -INFINITY;
    MLMultiArray projStep({1, 1, 640}, MLMultiArrayDataType::float32);
    fillEncoderProjStep(projStep, half, 2);
    EXPECT_EQ(projStep[639].floatValue(), 0.333251953125f);
    EXPECT_EQ(projStep[0].floatValue(), -INFINITY);
    EXPECT_EQ(extractEncoderProjStep(half, 2)[639].floatValue(), 0.333251953125f);
}

TEST(NemotronMultilingualStepArrays, StepsThatDoNotFitTheirBufferOrFrameAreRefused) {
    MLMultiArray projStep({1, 1, 640}, MLMultiArrayDataType::float32);
    MLMultiArray encoderStep({1, 4, 1}, MLMultiArrayDataType::float32);
    const auto message = [](const std::function<void()>& body) {
        try {
            body();
        } catch (const ASRError& error) {
            return error.message();
        }
        return std::string("accepted");
    };
    EXPECT_EQ(message([&] { fillEncoderProjStep(projStep, MLMultiArray({1, 3, 1024}, MLMultiArrayDataType::float32), 0); }),
              "Encoder projection frame of width 1024 does not fit its step buffer of 640");
    EXPECT_EQ(message([&] { fillEncoderStep(encoderStep, melFrames(5, 3), 0); }),
              "Encoder frame of width 5 does not fit its step buffer of 4");
    EXPECT_EQ(message([&] { fillEncoderStep(encoderStep, melFrames(4, 3), 3); }), "Encoder output has no frame 3");
    EXPECT_EQ(message([&] { fillEncoderProjStep(projStep, MLMultiArray({3, 640}, MLMultiArrayDataType::float32), 0); }),
              "Encoder projection has 2 dimensions, expected 3");
}

TEST(NemotronMultilingualStepArrays, TheDecoderSliceTakesPositionZero) {
    const auto slice = sliceDecoderOutput(melFrames(3, 4));
    EXPECT_EQ(slice.shape(), (std::vector<std::int64_t>{1, 3, 1}));
    EXPECT_EQ(slice[2].floatValue(), 200);
}

TEST(NemotronMultilingualStepArrays, ArgMaxTakesTheLowestIndexAmongEqualMaxima) {
    struct Case {
        std::string name;
        std::vector<float> scores;
        std::int64_t index;
    };
    for (const auto& c : std::vector<Case>{{"single", {0, 3, 1}, 1},
                                           {"tie", {1, 5, 5, 2}, 1},
                                           {"allEqual", {2, 2, 2}, 0},
                                           {"empty", {}, 0},
                                           {"nanNeverWins", {NAN, -1, -2}, 1},
                                           {"negative", {-3, -1, -2}, 1}}) {
        MLMultiArray scores({static_cast<std::int64_t>(c.scores.size())}, MLMultiArrayDataType::float32);
        for (std::size_t i = 0; i < c.scores.size(); ++i) scores[static_cast<std::int64_t>(i)] = c.scores[i];
        EXPECT_EQ(findMaxIndex(scores), c.index) << c.name;
        MLMultiArray half({static_cast<std::int64_t>(c.scores.size())}, MLMultiArrayDataType::float16);
        for (std::size_t i = 0; i < c.scores.size(); ++i) half[static_cast<std::int64_t>(i)] = c.scores[i];
        EXPECT_EQ(findMaxIndex(half), c.index) << c.name << " as float16";
    }
}

} // namespace
} // namespace razeziruzer::multilingualarrays
