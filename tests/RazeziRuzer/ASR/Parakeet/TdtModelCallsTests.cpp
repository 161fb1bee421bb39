#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/EncoderFrameView.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/TdtModelInference.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/TdtStepBuffers.hpp"
#include "RazeziRuzer/Shared/ANEMemoryUtils.hpp"

#include "Platform/CoreML/ScriptedModelBackend.hpp"

#include <gtest/gtest.h>

#include <functional>

namespace razeziruzer {
namespace {

using platform::coreml::MLFeatureDescription;
using platform::coreml::MLFeatureValue;
using platform::coreml::MLModel;
using platform::coreml::MLModelDescription;
using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;
using platform::coreml::ScriptedModelBackend;

std::string failureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const ASRError& error) {
        return error.message();
    }
    return "no failure";
}

// Element (h, t) holds 1000 * t + h.
MLMultiArray encoderOutput(std::vector<std::int64_t> shape, bool hiddenFirst) {
    MLMultiArray array(shape, MLMultiArrayDataType::float32);
    const auto hidden = hiddenFirst ? shape[1] : shape[2];
    const auto frames = hiddenFirst ? shape[2] : shape[1];
    for (std::int64_t t = 0; t < frames; ++t) {
        for (std::int64_t h = 0; h < hidden; ++h) {
            (hiddenFirst ? array[{0, h, t}] : array[{0, t, h}]) = static_cast<double>(1000 * t + h);
        }
    }
    return array;
}

TEST(EncoderFrameViewTests, ReadsEitherLayoutIntoAStridedDestination) {
    for (const bool hiddenFirst : {true, false}) {
        const auto output = encoderOutput(hiddenFirst ? std::vector<std::int64_t>{1, 8, 5}
                                                      : std::vector<std::int64_t>{1, 5, 8},
                                          hiddenFirst);
        const EncoderFrameView view(output, 200, 8);
        EXPECT_EQ(view.hiddenAxis, hiddenFirst ? 1 : 2);
        EXPECT_EQ(view.count, 5);
        auto destination = ANEMemoryUtils::createAlignedArray({1, 8, 1}, MLMultiArrayDataType::float32, true);
        view.copyFrame(3, destination.dataPointer<float>(), destination.strides()[1]);
        for (std::int64_t h = 0; h < 8; ++h) EXPECT_EQ((destination[{0, h, 0}].doubleValue()), 3000 + h);
        EXPECT_EQ(failureOf([&] { view.copyFrame(5, destination.dataPointer<float>(), 16); }),
                  "Encoder frame index out of range: 5");
    }
    EXPECT_EQ(EncoderFrameView(encoderOutput({1, 8, 8}, true), 8, 8).hiddenAxis, 1);
}

TEST(EncoderFrameViewTests, RejectsWhatTheDecoderCannotRead) {
    EXPECT_EQ(failureOf([] { EncoderFrameView(MLMultiArray({1, 8}, MLMultiArrayDataType::float32), 1, 8); }),
              "Invalid encoder output shape: [1, 8]");
    EXPECT_EQ(failureOf([] { EncoderFrameView(MLMultiArray({2, 8, 4}, MLMultiArrayDataType::float32), 4, 8); }),
              "Unsupported batch dimension: 2");
    EXPECT_EQ(failureOf([] { EncoderFrameView(MLMultiArray({1, 7, 4}, MLMultiArrayDataType::float32), 4, 8); }),
              "Encoder hidden size mismatch: [1, 7, 4], expected 8");
    EXPECT_EQ(failureOf([] { EncoderFrameView(MLMultiArray({1, 8, 4}, MLMultiArrayDataType::float32), 0, 8); }),
              "Encoder output has no frames");
    EXPECT_EQ(failureOf([] { EncoderFrameView(MLMultiArray({1, 8, 4}, MLMultiArrayDataType::float16), 4, 8); }),
              "Unsupported encoder output type: float16");
}

TEST(NormalizeDecoderProjectionTests, CopiesEitherLayoutAndRejectsOthers) {
    for (const auto& shape : {std::vector<std::int64_t>{1, 1, 640}, std::vector<std::int64_t>{1, 640, 1}}) {
        MLMultiArray projection(shape, MLMultiArrayDataType::float32);
        for (std::int64_t i = 0; i < 640; ++i) projection[i] = static_cast<double>(i);
        const auto into = ANEMemoryUtils::createAlignedArray({1, 640, 1}, MLMultiArrayDataType::float32, true);
        const auto result = TdtModelInference::normalizeDecoderProjection(projection, into);
        EXPECT_TRUE(result.isIdentical(into));
        EXPECT_EQ((into[{0, 639, 0}].doubleValue()), 639);
        EXPECT_EQ((TdtModelInference::normalizeDecoderProjection(projection)[{0, 17, 0}].doubleValue()), 17);
    }
    EXPECT_EQ(failureOf([] {
                  TdtModelInference::normalizeDecoderProjection(MLMultiArray({1, 640, 2}, MLMultiArrayDataType::float32));
              }),
              "Decoder projection time axis must be 1: [1, 640, 2]");
    EXPECT_EQ(failureOf([] {
                  TdtModelInference::normalizeDecoderProjection(
                      MLMultiArray({1, 640, 1}, MLMultiArrayDataType::float32),
                      MLMultiArray({1, 640, 2}, MLMultiArrayDataType::float32));
              }),
              "Prepared decoder step shape mismatch: 1x640x2");
    EXPECT_EQ(failureOf([] {
                  TdtModelInference::normalizeDecoderProjection(MLMultiArray({1, 640}, MLMultiArrayDataType::float32));
              }),
              "Invalid decoder projection rank: [1, 640]");
}

class JointCallTests : public ::testing::Test {
protected:
    MLModel jointModel(std::function<ScriptedModelBackend::Outputs()> reply) {
        auto description = MLModelDescription::make(
            {MLFeatureDescription::multiArray("encoder_step", {1, 8, 1}, MLMultiArrayDataType::float32),
             MLFeatureDescription::multiArray("decoder_step", {1, 640, 1}, MLMultiArrayDataType::float32)},
            {MLFeatureDescription::multiArray("token_id", {1, 1, 1}, MLMultiArrayDataType::int32),
             MLFeatureDescription::multiArray("token_prob", {1, 1, 1}, MLMultiArrayDataType::float32),
             MLFeatureDescription::multiArray("duration", {1, 1, 1}, MLMultiArrayDataType::int32)});
        return MLModel(std::make_shared<ScriptedModelBackend>(
            description, [reply](const auto&, auto*) { return reply(); }));
    }

    static ScriptedModelBackend::Outputs decision(MLMultiArray tokenId) {
        return {{"token_id", MLFeatureValue(std::move(tokenId))},
                {"token_prob", MLFeatureValue(MLMultiArray({1, 1, 1}, MLMultiArrayDataType::float32, 0.5))},
                {"duration", MLFeatureValue(MLMultiArray({1, 1, 1}, MLMultiArrayDataType::int32, 2))}};
    }

    TdtJointDecision run(const MLModel& model, bool needsTopK) {
        return inference.runJointPrepared(view, 1, buffers.decoderStep, model, buffers.encoderStep,
                                          buffers.encoderStepPointer(), buffers.encoderStepStride(),
                                          buffers.jointInput, buffers.tokenIdOutput, buffers.tokenProbOutput,
                                          buffers.durationOutput, needsTopK);
    }

    MLMultiArray encoder = encoderOutput({1, 8, 3}, true);
    EncoderFrameView view{encoder, 3, 8};
    TdtStepBuffers buffers{8};
    TdtModelInference inference;
};

TEST_F(JointCallTests, ReadsTheDecisionAndHonoursStridedTopK) {
    // Top-K arrays laid out with a stride of 2: the odd elements are garbage.
    auto storage = std::make_shared<std::vector<std::int32_t>>(std::vector<std::int32_t>{5, -1, 6, -1, 7, -1});
    const MLMultiArray ids(storage->data(), {1, 1, 3}, MLMultiArrayDataType::int32, {6, 6, 2}, [storage](void*) {});
    auto logitStorage = std::make_shared<std::vector<float>>(std::vector<float>{1.5f, 99, 2.5f, 99, 3.5f, 99});
    const MLMultiArray logits(logitStorage->data(), {1, 1, 3}, MLMultiArrayDataType::float32, {6, 6, 2},
                              [logitStorage](void*) {});
    auto outputs = decision(MLMultiArray({1, 1, 1}, MLMultiArrayDataType::int32, 42));
    outputs.emplace("top_k_ids", MLFeatureValue(ids));
    outputs.emplace("top_k_logits", MLFeatureValue(logits));
    const auto model = jointModel([outputs] { return outputs; });

    const auto result = run(model, true);
    EXPECT_EQ(result.tokenId, 42);
    EXPECT_FLOAT_EQ(result.probability, 0.5f);
    EXPECT_EQ(result.durationBin, 2);
    EXPECT_EQ(result.topKIds, (std::vector<int>{5, 6, 7}));
    EXPECT_EQ(result.topKLogits, (std::vector<float>{1.5f, 2.5f, 3.5f}));
    EXPECT_EQ((buffers.encoderStep[{0, 7, 0}].doubleValue()), 1007);
    EXPECT_FALSE(run(model, false).topKIds);
}

TEST_F(JointCallTests, RejectsMalformedDecisions) {
    auto twoIds = decision(MLMultiArray({1, 1, 1}, MLMultiArrayDataType::int32, 1));
    const auto unpaired = jointModel([twoIds] {
        auto outputs = twoIds;
        outputs.emplace("top_k_ids", MLFeatureValue(MLMultiArray({1, 1, 2}, MLMultiArrayDataType::int32)));
        return outputs;
    });
    EXPECT_EQ(failureOf([&] { run(unpaired, true); }),
              "Joint decision top-K outputs must be present as a pair (top_k_ids + top_k_logits)");
    EXPECT_NO_THROW(run(unpaired, false));

    const auto mismatched = jointModel([twoIds] {
        auto outputs = twoIds;
        outputs.emplace("top_k_ids", MLFeatureValue(MLMultiArray({1, 1, 5}, MLMultiArrayDataType::int32)));
        outputs.emplace("top_k_logits", MLFeatureValue(MLMultiArray({1, 1, 4}, MLMultiArrayDataType::float32)));
        return outputs;
    });
    EXPECT_EQ(failureOf([&] { run(mismatched, true); }), "Joint decision top-K length mismatch: 5 vs 4");

    const auto halfFloat = jointModel([twoIds] {
        auto outputs = twoIds;
        outputs.emplace("top_k_ids", MLFeatureValue(MLMultiArray({1, 1, 2}, MLMultiArrayDataType::int32)));
        outputs.emplace("top_k_logits", MLFeatureValue(MLMultiArray({1, 1, 2}, MLMultiArrayDataType::float16)));
        return outputs;
    });
    EXPECT_EQ(failureOf([&] { run(halfFloat, true); }), "Expected Float32 for top_k_logits, got 65552");
}

} // namespace
} // namespace razeziruzer
