// A frame never yields more than ten tokens; every failure names its stage or
// path; and a chunk that fails anywhere (a model, a missing output, the
// next-chunk prefetch) leaves the stream as it was, so retrying it gives the
// same transcript as a run without the failure: no token twice, no cache
// advanced twice.

#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "tests/RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/Multilingual/MultilingualStream.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

namespace razeziruzer::multilingualkit {
namespace {

struct NamedModels {
    std::string name;
    KitOptions options;
};

KitOptions stateful(KitOptions options) {
    options.statefulEncoder = true;
    return options;
}

std::vector<NamedModels> arrangements() {
    return {{"statefulEncoderB1", stateful(withModels(false, false, true, false, false, false))},
            {"bare", withModels(true, true, false, false, false, false)},
            {"b1", withModels(false, false, true, false, false, false)},
            {"b2", withModels(false, false, false, true, false, false)},
            {"b3", withModels(false, false, false, false, true, false)},
            {"speculativeBare", withModels(true, true, false, false, false, true)},
            {"speculativeB3", withModels(true, false, false, false, true, true)},
            {"speculativeB2", withModels(true, false, false, true, false, true)},
            {"speculativeB1", withModels(true, false, true, false, false, true)}};
}

std::string failureMessage(const std::function<void()>& body) {
    try {
        body();
    } catch (const ASRError& error) {
        return error.description();
    } catch (const std::exception& error) {
        return std::string("other: ") + error.what();
    }
    return "no failure";
}

TEST(MultilingualDecodeLimits, AFrameYieldsAtMostTenTokensOnEveryPath) {
    for (const auto& arrangement : arrangements()) {
        SCOPED_TRACE(arrangement.name);
        testsupport::TemporaryDirectory folder;
        ScriptedMultilingualKit kit(folder.path(), arrangement.options);
        Script script;
        script.tokensPerFrame.resize(static_cast<std::size_t>(kit.framesPerChunk()));
        // The chunk's last frame asks for twelve; the stream ends with it.
        script.tokensPerFrame.back() = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
        kit.setScript(script);
        StreamingNemotronMultilingualAsrManager manager(std::nullopt, testDependencies());
        manager.loadModels(kit.folder());
        const auto outcome = runStream(manager, kit.chunkSamples(), kit.chunkSamples());
        EXPECT_EQ(outcome.text, "w0 w1 w2 w3 w4 w5 w6 w7 w8 w9");
        EXPECT_EQ(outcome.timings.size(), 10u);
        EXPECT_EQ(outcome.timings.front().startTime, 0.08 * static_cast<double>(kit.framesPerChunk() - 1));
        EXPECT_EQ(manager.lastToken(), 9);
    }
}

TEST(MultilingualDecodeLimits, FrameLoopCallsTheStepModelOncePerBlankAndOncePerToken) {
    testsupport::TemporaryDirectory folder;
    ScriptedMultilingualKit kit(folder.path(), withModels(false, false, true, false, false, false));
    Script script;
    script.tokensPerFrame = {{}, {3, 4}, {}, {}, {}, {}, {5}};
    kit.setScript(script);
    StreamingNemotronMultilingualAsrManager manager(std::nullopt, testDependencies());
    manager.loadModels(kit.folder());
    runStream(manager, kit.chunkSamples(), kit.chunkSamples());
    // Seven frames each end on one blank; three tokens cost one call each.
    EXPECT_EQ(kit.calls("decoder_joint"), 7u + 3u);
}

TEST(MultilingualDecodeLimits, SpeculativeWindowsSkipBlankFramesWithOneDecoderRunEach) {
    testsupport::TemporaryDirectory folder;
    auto options = withModels(true, true, false, false, false, true);
    options.chunkMelFrames = 160;  // 20 frames: windows of 8, 8 and 4
    ScriptedMultilingualKit kit(folder.path(), options);
    kit.setScript(Script{});
    StreamingNemotronMultilingualAsrManager manager(std::nullopt, testDependencies());
    manager.loadModels(kit.folder());
    runStream(manager, kit.chunkSamples(), kit.chunkSamples());
    const auto counters = manager.counters();
    EXPECT_EQ(counters.specWindowsTotal, 3);
    EXPECT_EQ(counters.specWindowsAllBlank, 3);
    EXPECT_EQ(kit.calls("decoder"), 3u);
    EXPECT_EQ(kit.calls("joint_noencproj_batched"), 3u);
    EXPECT_EQ(kit.calls("joint"), 0u);
}

TEST(MultilingualDecodeLimits, SpeculativeHitIsTimedAtItsFrameAndTheNextWindowStartsAfterIt) {
    testsupport::TemporaryDirectory folder;
    auto options = withModels(true, true, false, false, false, true);
    options.chunkMelFrames = 160;
    ScriptedMultilingualKit kit(folder.path(), options);
    Script script;
    script.tokensPerFrame.resize(20);
    script.tokensPerFrame[10] = {6};
    kit.setScript(script);
    StreamingNemotronMultilingualAsrManager manager(std::nullopt, testDependencies());
    manager.loadModels(kit.folder());
    const auto outcome = runStream(manager, kit.chunkSamples(), kit.chunkSamples());
    ASSERT_EQ(outcome.timings.size(), 1u);
    EXPECT_EQ(outcome.timings[0].startTime, 10 * 0.08);
    const auto counters = manager.counters();
    // Frames 0-7 blank, 8-15 hit at row 2, then 11-18 and 19 blank.
    EXPECT_EQ(counters.specWindowsTotal, 4);
    EXPECT_EQ(counters.specWindowsHitNonBlank, 1);
    EXPECT_EQ(kit.calls("joint"), 1u);  // the drain's blank at frame 10
}

struct MessageCase {
    std::string name;
    KitOptions options;
    std::string dropped;
    std::string message;
};

TEST(MultilingualDecodeFailures, MissingOutputsNameTheirStageOrPath) {
    auto emptyTokenId = withModels(false, false, false, true, false, false);
    emptyTokenId.emptyTokenId = true;
    auto narrowProj = withModels(false, false, false, false, true, false);
    narrowProj.encoderProjWidth = 600;
    const std::vector<MessageCase> cases{
        {"preprocessor", withModels(true, true, false, false, false, false), "preprocessor:mel",
         "ASR processing failed: Preprocessor failed to produce mel output"},
        {"encoder", withModels(true, true, false, false, false, false), "encoder:encoded",
         "ASR processing failed: Encoder failed to produce output"},
        {"bareDecoder", withModels(true, true, false, false, false, false), "decoder:c_out", "ASR processing failed: Decoder failed"},
        {"bareJoint", withModels(true, true, false, false, false, false), "joint:logits", "ASR processing failed: Joint failed"},
        {"b1", withModels(false, false, true, false, false, false), "decoder_joint:c_out",
         "ASR processing failed: Fused decoder_joint failed"},
        {"b2", withModels(false, false, false, true, false, false), "decoder_joint_argmax:token_id",
         "ASR processing failed: Triple-fused decoder_joint_argmax failed"},
        {"b2EmptyTokenId", emptyTokenId, "", "ASR processing failed: Triple-fused decoder_joint_argmax failed"},
        {"b3", withModels(false, false, false, false, true, false), "decoder_joint_noencproj:h_out",
         "ASR processing failed: B3+B1 fused decoder_joint_noencproj failed"},
        {"b3WithoutProjection", withModels(false, false, false, false, true, false), "encoder:encoder_proj",
         "ASR processing failed: No decode path: need a fused decoder_joint (B1/B3/B2) or bare decoder+joint"},
        {"b3NarrowProjection", narrowProj, "",
         "ASR processing failed: Encoder projection frame of width 600 does not fit its step buffer of 640"},
        {"speculativeDecoder", withModels(true, true, false, false, false, true), "decoder:h_out",
         "ASR processing failed: Speculative decoder failed"},
        {"speculativeJoint", withModels(true, true, false, false, false, true), "joint_noencproj_batched:logits",
         "ASR processing failed: Speculative joint_noencproj_batched failed"},
        {"drainBare", withModels(true, true, false, false, false, true), "joint:logits",
         "ASR processing failed: Drain joint failed"},
        {"drainB1", withModels(true, false, true, false, false, true), "decoder_joint:logits",
         "ASR processing failed: Drain B1 failed"},
        {"drainB2", withModels(true, false, false, true, false, true), "decoder_joint_argmax:c_out",
         "ASR processing failed: Drain B2 failed"},
        {"drainB3", withModels(true, false, false, false, true, true), "decoder_joint_noencproj:c_out",
         "ASR processing failed: Drain B3+B1 failed"},
        {"decoderOnly", withModels(true, false, false, false, false, false), "",
         "AsrManager not initialized. Call initialize() first."},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        testsupport::TemporaryDirectory folder;
        const bool loadable = testCase.options.decoderJoint || testCase.options.decoderJointArgmax ||
                              testCase.options.decoderJointNoEncProj || (testCase.options.decoder && testCase.options.joint);
        auto options = testCase.options;
        options.flexibleOutputs = true;
        if (!loadable) options.joint = true;  // load a full set, then let the joint go
        ScriptedMultilingualKit kit(folder.path(), options);
        Script script;
        script.tokensPerFrame = {{1}};
        kit.setScript(script);
        if (!testCase.dropped.empty()) kit.control().droppedOutputs.insert(testCase.dropped);
        StreamingNemotronMultilingualAsrManager manager(std::nullopt, testDependencies());
        auto set = SharedNemotronMultilingualModels::load(kit.folder(), std::nullopt, [] { return true; });
        if (!loadable) set.joint.reset();
        manager.loadFromShared(set);
        const std::vector<float> audio(static_cast<std::size_t>(kit.chunkSamples()), 0.25f);
        EXPECT_EQ(failureMessage([&] { manager.process(audio); }), testCase.message);
        EXPECT_EQ(manager.processedChunks(), 0);
        EXPECT_EQ(manager.getPartialTranscript(), "");
    }
}

struct InjectedFailure {
    std::string model;
    std::size_t call = 1;
};

// Streams 6 s in pieces of more than two chunks (so chunks are encoded ahead); the chosen call fails once, and the failed
// operation is tried again exactly as a caller would.
StreamOutcome streamWithOneFailure(ScriptedMultilingualKit& kit, StreamingNemotronMultilingualAsrManager& manager,
                                   const InjectedFailure& failure, bool& failed) {
    // The hook runs on the encoder's look-ahead thread as well as the caller's.
    auto count = std::make_shared<std::atomic<std::size_t>>(0);
    auto armed = std::make_shared<std::atomic<bool>>(true);
    kit.control().beforeCall = [=](const std::string& model) {
        if (*armed && model == failure.model && ++*count == failure.call) {
            *armed = false;
            throw std::runtime_error("injected failure");
        }
    };
    const std::vector<float> audio(16000 * 6, 0.25f);
    // After a failure the stream holds exactly the chunks decoded before the failed one.
    const auto retried = [&](const std::function<void()>& operation) {
        try {
            operation();
        } catch (const std::runtime_error&) {
            failed = true;
            const auto decodedFrames = manager.processedChunks() * kit.framesPerChunk();
            auto script = kit.control().script;
            script.tokensPerFrame.resize(static_cast<std::size_t>(decodedFrames));
            const auto sofar = expectedOutcome(script, manager.processedChunks());
            EXPECT_EQ(manager.getPartialTranscript(), sofar.text);
            EXPECT_EQ(manager.getTokenTimings(), sofar.timings);
            EXPECT_EQ(manager.absoluteFrameBase(), decodedFrames);
            return false;
        }
        return true;
    };
    for (std::size_t start = 0; start < audio.size(); start += 19001) {
        const auto piece = std::span<const float>(audio).subspan(start, std::min<std::size_t>(19001, audio.size() - start));
        if (!retried([&] { manager.process(piece); })) manager.process(std::span<const float>());
    }
    StreamOutcome outcome;
    if (!retried([&] { std::tie(outcome.text, outcome.timings) = manager.finishWithTokenTimings(); })) {
        std::tie(outcome.text, outcome.timings) = manager.finishWithTokenTimings();
    }
    outcome.tokenCount = manager.lastDecodeStats().tokenCount;
    outcome.processedChunks = manager.lastDecodeStats().processedChunks;
    outcome.language = manager.lastDecodeStats().detectedLanguage;
    return outcome;
}

TEST(MultilingualDecodeFailures, AFailedChunkLeavesTheStreamAsItWasAndARetryLosesAndRepeatsNothing) {
    for (const auto& arrangement : arrangements()) {
        int failures = 0;
        std::vector<std::string> stepModels{"preprocessor", "encoder"};
        for (const char* model : {"decoder", "joint", "decoder_joint", "decoder_joint_argmax", "decoder_joint_noencproj",
                                  "joint_noencproj_batched"}) {
            stepModels.push_back(model);
        }
        for (const auto& model : stepModels) {
            for (const std::size_t call : {1u, 2u, 3u, 7u, 20u}) {
                SCOPED_TRACE(arrangement.name + " fails " + model + " call " + std::to_string(call));
                testsupport::TemporaryDirectory folder;
                ScriptedMultilingualKit kit(folder.path(), arrangement.options);
                if (kit.calls(model) == 0 && !std::filesystem::exists(folder.path() / (model + ".mlmodelc"))) continue;
                const auto chunks = (16000 * 6 + kit.chunkSamples() - 1) / kit.chunkSamples();
                const auto script = mixedScript(chunks * kit.framesPerChunk());
                kit.setScript(script);
                StreamingNemotronMultilingualAsrManager manager(std::nullopt, testDependencies());
                manager.loadModels(kit.folder());
                bool failed = false;
                const auto outcome = streamWithOneFailure(kit, manager, {model, call}, failed);
                const auto expected = expectedOutcome(script, chunks);
                failures += failed ? 1 : 0;
                EXPECT_EQ(outcome.text, expected.text);
                EXPECT_EQ(outcome.timings, expected.timings);
                EXPECT_EQ(outcome.tokenCount, expected.tokenCount);
                EXPECT_EQ(outcome.language, expected.language);
                EXPECT_EQ(outcome.processedChunks, expected.processedChunks);
            }
        }
        EXPECT_GE(failures, 12) << arrangement.name;
    }
}

} // namespace
} // namespace razeziruzer::multilingualkit
