#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/StreamingNemotronAsrManager.hpp"
#include "tests/RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/ScriptedNemotron.hpp"
#include "tests/RazeziRuzer/ASR/Parakeet/Streaming/StreamingAudio.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <span>

namespace razeziruzer {
namespace {

using scriptednemotron::codedAudio;
using scriptednemotron::expectedText;
using scriptednemotron::ScriptedNemotron;

// A script with repeated tokens, silent frames and every id of the vocabulary.
std::vector<int> tokenScript(int frames) {
    std::vector<int> tokens;
    for (int i = 0; i < frames; ++i) tokens.push_back(i % 5 == 4 ? -1 : (i * 3 + i / 7) % scriptednemotron::vocabularySize);
    return tokens;
}

std::vector<float> audioOf(const std::vector<int>& tokens, std::size_t totalSamples) {
    auto audio = codedAudio(tokens);
    audio.resize(totalSamples, 0.0f);
    return audio;
}

std::unique_ptr<StreamingNemotronAsrManager> loadedManager(const std::filesystem::path& folder) {
    auto manager = std::make_unique<StreamingNemotronAsrManager>(std::nullopt, std::nullopt, [] { return true; });
    manager->loadModels(folder);
    return manager;
}

// Through the common streaming face, as any caller of the package would.
void feed(StreamingAsrManager& manager, std::span<const float> audio, std::size_t piece) {
    for (std::size_t start = 0; start < audio.size(); start += piece) {
        const auto count = std::min(piece, audio.size() - start);
        manager.appendAudio(streamingtest::pcmBuffer(audio.subspan(start, count)));
        manager.processBufferedAudio();
    }
}

TEST(NemotronStreamTests, ScriptedAudioOfEveryLengthAndChunkSizeGivesTheScriptedText) {
    for (const int chunkMs : {2240, 1120, 560}) {
        for (const bool fused : {false, true}) {
            testsupport::TemporaryDirectory folder;
            ScriptedNemotron models(folder.path(), {.chunkMs = chunkMs, .fused = fused});
            auto manager = loadedManager(folder.path());
            std::string lastPartial;
            manager->setPartialCallback([&](const std::string& text) { lastPartial = text; });
            for (const int seconds : {1, 10, 60}) {
                for (const std::size_t piece : {std::size_t{1000}, static_cast<std::size_t>(chunkMs) * 16, std::size_t{48000}}) {
                    SCOPED_TRACE(std::to_string(chunkMs) + " ms chunks, " + (fused ? "fused, " : "") +
                                 std::to_string(seconds) + " s in pieces of " + std::to_string(piece));
                    manager->reset();
                    lastPartial.clear();
                    const auto samples = static_cast<std::size_t>(seconds) * 16000;
                    const auto tokens = tokenScript(static_cast<int>(samples / scriptednemotron::samplesPerFrame));
                    const auto audio = audioOf(tokens, samples);
                    feed(*manager, audio, piece);
                    EXPECT_EQ(lastPartial, manager->getPartialTranscript());
                    const auto [text, timings] = manager->finishWithTokenTimings();
                    EXPECT_EQ(text, expectedText(tokens));
                    // Each token is timed at its own 80 ms frame of the stream.
                    std::size_t next = 0;
                    for (std::size_t frame = 0; frame < tokens.size(); ++frame) {
                        if (tokens[frame] < 0) continue;
                        ASSERT_LT(next, timings.size());
                        EXPECT_EQ(timings[next].tokenId, tokens[frame]);
                        EXPECT_EQ(timings[next].token, "\u2581t" + std::to_string(tokens[frame]));
                        EXPECT_NEAR(timings[next].startTime, static_cast<double>(frame) * 0.08, 1e-9);
                        EXPECT_NEAR(timings[next].endTime, static_cast<double>(frame + 1) * 0.08, 1e-9);
                        EXPECT_EQ(timings[next].confidence, 1.0f);
                        ++next;
                    }
                    EXPECT_EQ(next, timings.size());
                }
            }
            if (fused) {
                EXPECT_EQ(models.decoder->callCount(), 0u);
                EXPECT_EQ(models.joint->callCount(), 0u);
            } else {
                EXPECT_EQ(models.decoderJoint->callCount(), 0u);
            }
        }
    }
}

TEST(NemotronStreamTests, FinishDecodesEveryPendingChunk) {
    testsupport::TemporaryDirectory folder;
    ScriptedNemotron models(folder.path());
    auto manager = loadedManager(folder.path());
    // Two and a half chunks, never processed before finish.
    const auto tokens = tokenScript(70);
    manager->appendAudio(streamingtest::pcmBuffer(codedAudio(tokens)));
    EXPECT_EQ(manager->finish(), expectedText(tokens));
    EXPECT_EQ(manager->processedChunks(), 3);
    EXPECT_EQ(manager->bufferedSampleCount(), 0u);
}

TEST(NemotronStreamTests, ChunkBoundariesAndZeroPaddedTail) {
    struct Case {
        const char* name;
        std::size_t samples;
        int chunksBeforeFinish;
        std::size_t leftOver;
    };
    const Case cases[] = {
        {"one sample short of a chunk", 35839, 0, 35839},
        {"five seconds", 80000, 2, 8320},
        {"exactly one chunk", 35840, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TemporaryDirectory folder;
        ScriptedNemotron models(folder.path());
        auto manager = loadedManager(folder.path());
        const std::vector<float> silence(c.samples, 0.0f);
        manager->appendAudio(streamingtest::pcmBuffer(silence));
        manager->processBufferedAudio();
        EXPECT_EQ(manager->processedChunks(), c.chunksBeforeFinish);
        EXPECT_EQ(manager->bufferedSampleCount(), c.leftOver);
        EXPECT_EQ(manager->finish(), "");
        EXPECT_EQ(manager->processedChunks(), c.chunksBeforeFinish + (c.leftOver ? 1 : 0));
        // The tail went to the preprocessor padded to exactly one chunk.
        const auto calls = models.preprocessor->calls();
        EXPECT_EQ(calls.back().inputs.at("audio_length").value.multiArrayValue()->operator[](0).int32Value(), 35840);
    }
}

TEST(NemotronStreamTests, AFailedChunkIsRetriedFromTheLastGoodState) {
    testsupport::TemporaryDirectory folder;
    std::atomic<int> jointCalls{0};
    std::atomic<int> failAt{-1};
    ScriptedNemotron models(folder.path(), {.beforeJoint = [&] {
        if (jointCalls++ == failAt) throw std::runtime_error("joint failed");
    }});
    auto manager = loadedManager(folder.path());
    const auto tokens = tokenScript(28 * 3);
    const auto audio = codedAudio(tokens);
    manager->appendAudio(streamingtest::pcmBuffer(std::span(audio).first(35840)));
    manager->processBufferedAudio();
    failAt = jointCalls + 20;  // inside the second chunk, after some of its tokens
    manager->appendAudio(streamingtest::pcmBuffer(std::span(audio).subspan(35840)));
    EXPECT_THROW(manager->processBufferedAudio(), std::runtime_error);
    EXPECT_EQ(manager->processedChunks(), 1);
    EXPECT_EQ(manager->bufferedSampleCount(), 2u * 35840u);
    // Nothing of the failed chunk stays in the utterance.
    const std::vector<int> firstChunk(tokens.begin(), tokens.begin() + 28);
    EXPECT_EQ(manager->getPartialTranscript(), expectedText(firstChunk));
    manager->processBufferedAudio();
    EXPECT_EQ(manager->finish(), expectedText(tokens));

    // The retry fed the encoder the very caches of the failed attempt.
    const auto calls = models.encoder->calls();
    ASSERT_EQ(calls.size(), 4u);
    for (const char* cache : {"cache_len", "cache_channel", "cache_time"}) {
        SCOPED_TRACE(cache);
        const auto failed = *calls[1].inputs.at(cache).value.multiArrayValue();
        const auto retried = *calls[2].inputs.at(cache).value.multiArrayValue();
        EXPECT_EQ(failed[0].doubleValue(), retried[0].doubleValue());
    }
    EXPECT_EQ(calls[2].inputs.at("cache_len").value.multiArrayValue()->operator[](0).int32Value(), 2);
    EXPECT_EQ(calls[3].inputs.at("cache_len").value.multiArrayValue()->operator[](0).int32Value(), 3);
}

TEST(NemotronStreamTests, FinishClosesTheUtteranceButTheStreamCarriesOn) {
    testsupport::TemporaryDirectory folder;
    ScriptedNemotron models(folder.path());
    auto manager = loadedManager(folder.path());
    manager->appendAudio(streamingtest::pcmBuffer(codedAudio({3})));
    EXPECT_EQ(manager->finish(), "t3");
    EXPECT_EQ(manager->lastFinishTokenTimings().size(), 1u);
    EXPECT_EQ(manager->finish(), "");
    EXPECT_TRUE(manager->lastFinishTokenTimings().empty());
    // Without a reset the next utterance's times count on from the frames consumed.
    manager->appendAudio(streamingtest::pcmBuffer(codedAudio({-1, -1, -1, 5})));
    const auto [text, timings] = manager->finishWithTokenTimings();
    EXPECT_EQ(text, "t5");
    ASSERT_EQ(timings.size(), 1u);
    EXPECT_NEAR(timings[0].startTime, 2.48, 1e-9);  // frame 28 + 3
    EXPECT_NEAR(timings[0].endTime, 2.56, 1e-9);
}

} // namespace
} // namespace razeziruzer
