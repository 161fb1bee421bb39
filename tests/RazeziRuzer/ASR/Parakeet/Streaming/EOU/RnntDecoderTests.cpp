#include "Platform/CoreML/MLModel.hpp"
#include "Platform/CoreML/MLMultiArrayConstraint.hpp"
#include "Platform/CoreML/ScriptedModelBackend.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/EOU/RnntDecoder.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/EOU/RnntDecoderError.hpp"
#include "tests/RazeziRuzer/ASR/Parakeet/Streaming/EOU/ScriptedEou.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

namespace razeziruzer {
namespace {

using platform::coreml::MLModel;
using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;
using scriptedeou::ScriptedEou;

// Encoder frames as the scripted encoder lays them out: a code (token + 1,
// 100 for the mark, 0 for silence) and the token frame's number.
MLMultiArray encoderFrames(const std::vector<int>& symbols) {
    MLMultiArray encoded({1, 4, static_cast<std::int64_t>(symbols.size())}, MLMultiArrayDataType::float32);
    int count = 0;
    for (std::size_t t = 0; t < symbols.size(); ++t) {
        const auto i = static_cast<std::int64_t>(t);
        const int symbol = symbols[t];
        encoded[{0, 0, i}] = symbol == scriptedeou::eouMark ? 100 : symbol + 1;
        encoded[{0, 1, i}] = symbol >= 0 ? ++count : 0;
    }
    return encoded;
}

struct Decoder {
    explicit Decoder(scriptedeou::Options options = {}, bool fused = false)
        : models(folder.path(), StreamingChunkSize::ms160, std::move(options)),
          decoder(MLModel(models.decoder), MLModel(models.joint),
                  fused ? std::optional<MLModel>(MLModel(models.fused)) : std::nullopt) {}
    testsupport::TemporaryDirectory folder;
    ScriptedEou models;
    RnntDecoder decoder;
};

TEST(RnntDecoderTests, StartsBlankWithZeroStates) {
    Decoder d;
    EXPECT_EQ(d.decoder.lastToken(), 1026);
    EXPECT_EQ(d.decoder.hState().shape(), (std::vector<std::int64_t>{1, 1, 640}));
    EXPECT_EQ(d.decoder.cState()[639].doubleValue(), 0.0);
}

TEST(RnntDecoderTests, ValidLengthLimitsTheFrames) {
    const std::vector<int> symbols{0, 1, 2, 3, 4, 5, 6, 7, 0, 1, 2, 3, 4, 5, 6, 7};
    {
        Decoder d;
        const auto result = d.decoder.decodeWithEOU(encoderFrames(symbols), 99, 0, 4);
        EXPECT_EQ(result.tokenIds, (std::vector<std::int64_t>{0, 1, 2, 3}));
        EXPECT_EQ(result.tokenFrames, (std::vector<std::int64_t>{0, 1, 2, 3}));
        EXPECT_FALSE(result.eouDetected);
        EXPECT_EQ(d.decoder.lastToken(), 3);
    }
    {
        Decoder d;
        const auto result = d.decoder.decodeWithEOU(encoderFrames(symbols), 0, 0, std::nullopt);
        EXPECT_EQ(result.tokenIds.size(), 16u);
        EXPECT_EQ(result.tokenFrames.back(), 15);
    }
    Decoder d;
    EXPECT_TRUE(d.decoder.decodeWithEOU(encoderFrames(symbols), 0, 16, std::nullopt).tokenIds.empty());
    EXPECT_THROW(d.decoder.decodeWithEOU(encoderFrames(symbols), 0, -1, std::nullopt), std::invalid_argument);
}

TEST(RnntDecoderTests, EndOfUtteranceStopsAtOnceAndKeepsTheState) {
    Decoder d;
    const auto first = d.decoder.decodeWithEOU(encoderFrames({3, 4}), 0, 0, std::nullopt);
    ASSERT_EQ(first.tokenIds.size(), 2u);
    const auto result = d.decoder.decodeWithEOU(encoderFrames({scriptedeou::eouMark, 5}), 0, 0, std::nullopt);
    EXPECT_TRUE(result.eouDetected);
    EXPECT_TRUE(result.tokenIds.empty());
    EXPECT_EQ(d.decoder.lastToken(), 4);
    EXPECT_EQ(d.decoder.hState()[0].doubleValue(), 2.0);
}

TEST(RnntDecoderTests, AtMostTwoSymbolsPerFrame) {
    Decoder d({.jointAnswer = [](std::int32_t) { return 5; }});
    const auto result = d.decoder.decodeWithEOU(encoderFrames({0, 1, 2}), 0, 0, std::nullopt);
    EXPECT_EQ(result.tokenIds, (std::vector<std::int64_t>(6, 5)));
    EXPECT_EQ(result.tokenFrames, (std::vector<std::int64_t>{0, 0, 1, 1, 2, 2}));
    EXPECT_EQ(d.decoder.hState()[0].doubleValue(), 6.0);
}

TEST(RnntDecoderTests, TheMarkEndsTheChunkAtOnce) {
    Decoder d;
    const auto result = d.decoder.decodeWithEOU(encoderFrames({2, scriptedeou::eouMark, 3, 4}), 0, 0, std::nullopt);
    EXPECT_EQ(result.tokenIds, (std::vector<std::int64_t>{2}));
    EXPECT_TRUE(result.eouDetected);
    EXPECT_EQ(d.decoder.lastToken(), 2);
}

TEST(RnntDecoderTests, BlanksKeepTheState) {
    Decoder d;
    d.decoder.decodeWithEOU(encoderFrames({6}), 0, 0, std::nullopt);
    const auto result = d.decoder.decodeWithEOU(encoderFrames({scriptedeou::silence, scriptedeou::silence}), 0, 0,
                                                std::nullopt);
    EXPECT_TRUE(result.tokenIds.empty());
    EXPECT_FALSE(result.eouDetected);
    EXPECT_EQ(d.decoder.lastToken(), 6);
    EXPECT_EQ(d.decoder.hState()[0].doubleValue(), 1.0);
    EXPECT_EQ(d.models.record()->decoderCalls, 4);  // two for the token frame, one per silent frame
}

TEST(RnntDecoderTests, OnlyTheLastDecoderTimeStepReachesTheJoint) {
    for (const std::int64_t steps : {1, 2, 3}) {
        SCOPED_TRACE(steps);
        Decoder d({.decoderTimeSteps = steps});
        const auto result = d.decoder.decodeWithEOU(encoderFrames({0, 1, 2}), 0, 0, std::nullopt);
        EXPECT_EQ(result.tokenIds, (std::vector<std::int64_t>{0, 1, 2}));
    }
}

TEST(RnntDecoderTests, TheFusedModelDoesEveryStep) {
    Decoder d({}, true);
    EXPECT_TRUE(d.decoder.usesFusedModel());
    const auto result = d.decoder.decodeWithEOU(encoderFrames({0, 1, scriptedeou::eouMark}), 0, 0, std::nullopt);
    EXPECT_EQ(result.tokenIds, (std::vector<std::int64_t>{0, 1}));
    EXPECT_TRUE(result.eouDetected);
    EXPECT_EQ(d.models.record()->decoderCalls, 0);
    EXPECT_EQ(d.models.record()->jointCalls, 0);
    EXPECT_EQ(d.models.record()->fusedCalls, 5);
    d.decoder.resetState();
    EXPECT_EQ(d.decoder.lastToken(), 1026);
    EXPECT_EQ(d.decoder.hState()[0].doubleValue(), 0.0);
}

TEST(RnntDecoderTests, AMissingOutputIsNamed) {
    using platform::coreml::MLFeatureValue;
    using platform::coreml::ScriptedModelBackend;
    platform::coreml::MLMultiArrayConstraint any;
    any.dataType = MLMultiArrayDataType::float32;
    auto described = [&](const char* name) { return platform::coreml::MLFeatureDescription::multiArray(name, any); };
    const MLMultiArray state({1, 1, 640}, MLMultiArrayDataType::float32);
    auto decoderWithoutH = std::make_shared<ScriptedModelBackend>(
        platform::coreml::MLModelDescription::make({}, {described("decoder"), described("c_out")}),
        [state](const auto&, auto*) {
            return ScriptedModelBackend::Outputs{{"decoder", MLFeatureValue(MLMultiArray({1, 640, 1}, MLMultiArrayDataType::float32))},
                                                 {"c_out", MLFeatureValue(state)}};
        });
    testsupport::TemporaryDirectory folder;
    ScriptedEou models(folder.path(), StreamingChunkSize::ms160);
    RnntDecoder decoder(MLModel(decoderWithoutH), MLModel(models.joint));
    try {
        decoder.decodeWithEOU(encoderFrames({0}), 0, 0, std::nullopt);
        FAIL() << "no error";
    } catch (const RnntDecoderError& error) {
        EXPECT_EQ(error.kind(), RnntDecoderErrorKind::missingOutput);
        EXPECT_EQ(error.outputName(), "h_out");
        EXPECT_EQ(error.description(), "RNNT decoder missing expected output: h_out");
    }
}

} // namespace
} // namespace razeziruzer
