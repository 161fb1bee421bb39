#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedRnntDecoder.hpp"
#include "tests/RazeziRuzer/ASR/Parakeet/Unified/ScriptedUnified.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

namespace razeziruzer {
namespace {

using platform::coreml::MLModel;
using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;
using scriptedunified::Options;
using scriptedunified::Script;
using scriptedunified::ScriptedUnified;
using Emission = UnifiedRnntDecoder::Emission;

// Encoder output of a window whose frame t is stream frame firstFrame + t.
MLMultiArray encodedFrames(std::int64_t firstFrame, std::int64_t frames) {
    MLMultiArray encoded({1, 2, frames}, MLMultiArrayDataType::float32);
    for (std::int64_t t = 0; t < frames; ++t) {
        encoded[{0, 0, t}] = static_cast<double>(firstFrame + t + 1);
        encoded[{0, 1, t}] = static_cast<double>(firstFrame + 1);
    }
    return encoded;
}

struct DecoderFixture {
    explicit DecoderFixture(Script script, Options options = {}, UnifiedConfig config = {})
        : folder(), models(folder.path(), std::move(script), std::move(options)),
          decoder(MLModel(models.decoder), MLModel(models.joint), config) {}

    testsupport::TemporaryDirectory folder;
    ScriptedUnified models;
    UnifiedRnntDecoder decoder;
};

TEST(UnifiedRnntDecoderTests, AllBlankRunsThePredictionNetworkOnceAndKeepsTheStartToken) {
    DecoderFixture fixture(Script(10));
    EXPECT_TRUE(fixture.decoder.decode(encodedFrames(0, 10), 0, 10, 0).empty());
    EXPECT_EQ(fixture.models.record()->decoderCalls, 1);
    EXPECT_EQ(fixture.models.record()->jointCalls, 10);
    EXPECT_EQ(fixture.decoder.lastToken(), 1024);
}

TEST(UnifiedRnntDecoderTests, EmissionsCarryGlobalFramesAndSplitRangesAgree) {
    const Script script{{3}, {}, {4, 5}, {}, {6}, {7}};
    DecoderFixture whole(script);
    const auto joined = whole.decoder.decode(encodedFrames(0, 6), 0, 6, 0);
    const std::vector<Emission> expected{{3, 0, 0.75f}, {4, 2, 0.75f}, {5, 2, 0.75f}, {6, 4, 0.75f}, {7, 5, 0.75f}};
    EXPECT_EQ(joined, expected);
    EXPECT_EQ(whole.models.record()->decoderCalls, 6);  // once per call plus once per token

    DecoderFixture split(script);
    auto first = split.decoder.decode(encodedFrames(0, 6), 0, 3, 0);
    const auto second = split.decoder.decode(encodedFrames(0, 6), 3, 6, 0);
    first.insert(first.end(), second.begin(), second.end());
    EXPECT_EQ(first, expected);

    // A window whose frame 0 is stream frame 2: the offset stamps stream frames.
    DecoderFixture offset(Script{{}, {}, {9}});
    EXPECT_EQ(offset.decoder.decode(encodedFrames(2, 1), 0, 1, 2), (std::vector<Emission>{{9, 2, 0.75f}}));
}

TEST(UnifiedRnntDecoderTests, AJointThatNeverAnswersBlankStopsAtTheSymbolLimit) {
    UnifiedConfig config;
    config.maxSymbolsPerFrame = 3;
    DecoderFixture fixture(Script{{1, 2, 3, 4, 5}, {6}}, {}, config);
    const auto emissions = fixture.decoder.decode(encodedFrames(0, 1), 0, 1, 40);
    ASSERT_EQ(emissions.size(), 3u);
    for (const auto& emission : emissions) EXPECT_EQ(emission.frame, 40);

    config.maxSymbolsPerFrame = 0;
    DecoderFixture none(Script{{1}}, {}, config);
    EXPECT_TRUE(none.decoder.decode(encodedFrames(0, 1), 0, 1, 0).empty());
    EXPECT_EQ(none.models.record()->jointCalls, 0);
}

TEST(UnifiedRnntDecoderTests, MissingOutputsAndAFailedCallLeaveTheStateAsItWas) {
    Options noProb;
    noProb.jointGivesProb = false;
    DecoderFixture withoutProb(Script{{2}}, noProb);
    EXPECT_EQ(withoutProb.decoder.decode(encodedFrames(0, 1), 0, 1, 0), (std::vector<Emission>{{2, 0, 0.0f}}));

    const auto expectFailure = [](Options options, const char* message) {
        DecoderFixture fixture(Script{{2}}, std::move(options));
        try {
            fixture.decoder.decode(encodedFrames(0, 1), 0, 1, 0);
            FAIL() << "no error";
        } catch (const ASRError& error) {
            EXPECT_EQ(error.kind(), ASRErrorKind::processingFailed);
            EXPECT_EQ(error.message(), message);
        }
    };
    Options noToken;
    noToken.jointGivesToken = false;
    expectFailure(noToken, "Unified joint decision missing token_id");
    Options noDecoder;
    noDecoder.decoderGivesOutput = false;
    expectFailure(noDecoder, "Unified decoder failed");

    // The joint fails on frame 1 after frame 0 emitted: nothing of the call is kept.
    auto failOnSecond = std::make_shared<int>(0);
    Options flaky;
    flaky.beforeJoint = [failOnSecond] {
        if (++*failOnSecond == 3) throw std::runtime_error("joint down");
    };
    DecoderFixture fixture(Script{{2}, {3}}, flaky);
    EXPECT_THROW(fixture.decoder.decode(encodedFrames(0, 2), 0, 2, 0), std::runtime_error);
    EXPECT_EQ(fixture.decoder.lastToken(), 1024);
    EXPECT_EQ(fixture.decoder.decode(encodedFrames(0, 2), 0, 2, 0),
              (std::vector<Emission>{{2, 0, 0.75f}, {3, 1, 0.75f}}));
    fixture.decoder.reset();
    EXPECT_EQ(fixture.decoder.lastToken(), 1024);
}

} // namespace
} // namespace razeziruzer
