#include "Platform/Core/Logger.hpp"
#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/EOU/StreamingEouAsrManager.hpp"
#include "RazeziRuzer/DownloadErrors.hpp"
#include "RazeziRuzer/DownloadUtils.hpp"
#include "tests/RazeziRuzer/ASR/Parakeet/Streaming/EOU/ScriptedEou.hpp"
#include "tests/RazeziRuzer/ASR/Parakeet/Streaming/StreamingAudio.hpp"
#include "tests/Support/ScopedEnvironment.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>

namespace razeziruzer {
namespace {

using scriptedeou::codedAudio;
using scriptedeou::eouMark;
using scriptedeou::expectedText;
using scriptedeou::ScriptedEou;
using scriptedeou::silence;

const char* sizeName(StreamingChunkSize size) { return geometry(size).modelSubdirectory; }

TEST(StreamingChunkSizeTests, GeometryOfEachBuild) {
    struct Case {
        StreamingChunkSize size;
        std::int64_t chunkSamples, melFrames, durationMs, valid, preCache, shift, frameMs;
        Repo repository;
        const char* displayName;
    };
    const Case cases[] = {
        {StreamingChunkSize::ms160, 2560, 17, 160, 2, 16, 1280, 40, Repo::parakeetEou160, "Parakeet EOU 120M (160ms)"},
        {StreamingChunkSize::ms320, 10080, 64, 630, 4, 9, 5120, 80, Repo::parakeetEou320, "Parakeet EOU 120M (630ms)"},
        {StreamingChunkSize::ms1280, 20480, 129, 1280, 16, 16, 20480, 80, Repo::parakeetEou1280,
         "Parakeet EOU 120M (1280ms)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(sizeName(c.size));
        const auto g = geometry(c.size);
        EXPECT_EQ(g.chunkSamples, c.chunkSamples);
        EXPECT_EQ(g.melFrames, c.melFrames);
        EXPECT_EQ(g.durationMs, c.durationMs);
        EXPECT_EQ(g.validOutputLen, c.valid);
        EXPECT_EQ(g.preCacheSize, c.preCache);
        EXPECT_EQ(g.shiftSamples, c.shift);
        EXPECT_EQ(frameDurationMs(c.size), c.frameMs);
        EXPECT_EQ(repo(c.size), c.repository);
        EXPECT_EQ(StreamingEouAsrManager({}, c.size).displayName(), c.displayName);
    }
}

class EouTests : public ::testing::Test {
protected:
    std::unique_ptr<StreamingEouAsrManager> load(StreamingChunkSize size, std::int64_t debounceMs = 1280,
                                                 bool debug = false) {
        auto manager = std::make_unique<StreamingEouAsrManager>(platform::coreml::MLModelConfiguration{}, size,
                                                                debounceMs, debug);
        manager->loadModels(folder.path());
        return manager;
    }
    void append(StreamingEouAsrManager& manager, StreamingChunkSize size, const std::vector<int>& frames) {
        manager.appendAudio(streamingtest::pcmBuffer(codedAudio(size, frames)));
    }
    testsupport::TemporaryDirectory folder;
};

// Speech for most of the stream, then (for streams of 10 s and more) a run of
// end-of-utterance frames from a chunk boundary that outlasts the debounce.
std::vector<int> streamScript(StreamingChunkSize size, std::int64_t seconds, std::int64_t* eouStartFrame) {
    const auto frames = seconds * 16000 / scriptedeou::samplesPerFrame(size);
    const auto valid = geometry(size).validOutputLen;
    std::vector<int> script;
    for (std::int64_t i = 0; i < frames; ++i) script.push_back(i % 4 == 3 ? silence : static_cast<int>((i * 5 + i / 9) % 8));
    *eouStartFrame = -1;
    if (seconds >= 10) {
        const auto start = (frames * 3 / 4) / valid * valid;
        for (auto i = start; i < frames; ++i) script[static_cast<std::size_t>(i)] = eouMark;
        *eouStartFrame = start;
    }
    return script;
}

TEST_F(EouTests, ScriptedStreamsGiveTheScriptedTextTimesAndEndOfUtterance) {
    for (const auto size : allStreamingChunkSizes) {
        for (const std::int64_t seconds : {1, 10, 60}) {
            SCOPED_TRACE(std::string(sizeName(size)) + ", " + std::to_string(seconds) + " s");
            testsupport::TemporaryDirectory modelFolder;
            ScriptedEou models(modelFolder.path(), size);
            StreamingEouAsrManager manager({}, size);
            manager.loadModels(modelFolder.path());
            std::vector<std::string> eouTexts;
            manager.setEouCallback([&](const std::string& text) { eouTexts.push_back(text); });
            std::int64_t eouStart = 0;
            const auto script = streamScript(size, seconds, &eouStart);
            const auto audio = codedAudio(size, script);
            StreamingAsrManager& stream = manager;
            std::string lastPartial;
            stream.setPartialTranscriptCallback([&](const std::string& text) { lastPartial = text; });
            for (std::size_t start = 0; start < audio.size(); start += 7000) {
                const auto count = std::min<std::size_t>(7000, audio.size() - start);
                stream.appendAudio(streamingtest::pcmBuffer(std::span(audio).subspan(start, count)));
                stream.processBufferedAudio();
            }
            EXPECT_EQ(lastPartial, stream.getPartialTranscript());
            const auto frameMs = frameDurationMs(size);
            std::vector<std::int64_t> expectedTimes;
            std::vector<std::string> expectedPieces;
            // Frames of the chunks decoded so far; the rest waits for finish.
            const auto decodedFrames = static_cast<std::size_t>(manager.processedChunks() * geometry(size).validOutputLen);
            for (std::size_t i = 0; i < std::min(script.size(), decodedFrames); ++i) {
                if (script[i] < 0) continue;
                expectedTimes.push_back(static_cast<std::int64_t>(i) * frameMs);
                expectedPieces.push_back("\u2581w" + std::to_string(script[i]));
            }
            EXPECT_EQ(manager.getTokenTimestampsMs(), expectedTimes);
            EXPECT_EQ(manager.getRawTokenStrings(), expectedPieces);
            const auto g = geometry(size);
            if (eouStart >= 0) {
                // The run's first chunk starts the timer; the first chunk
                // whose distance from it reaches 1280 ms confirms.
                const auto firstChunk = eouStart / g.validOutputLen;
                const auto chunksAfter = (1280 * 16 + g.shiftSamples - 1) / g.shiftSamples;
                const auto confirmChunk = firstChunk + chunksAfter;
                EXPECT_EQ(manager.getEouTimestampsMs(),
                          (std::vector<std::int64_t>{(confirmChunk + 1) * g.shiftSamples / 16}));
                EXPECT_EQ(eouTexts, (std::vector<std::string>{expectedText(script)}));
                EXPECT_TRUE(manager.eouDetected());
            } else {
                EXPECT_TRUE(manager.getEouTimestampsMs().empty());
                EXPECT_TRUE(eouTexts.empty());
            }
            // finish decodes every frame still pending.
            EXPECT_EQ(stream.finish(), expectedText(script));
            EXPECT_EQ(manager.bufferedSampleCount(), 0u);
        }
    }
}

TEST_F(EouTests, DebounceConfirmsAfterTheRunSpansTheDebounceTime) {
    struct Case {
        StreamingChunkSize size;
        std::int64_t debounceMs;
        int confirmingChunk;   // 1-based
        std::int64_t eouTimeMs;
    };
    const Case cases[] = {
        {StreamingChunkSize::ms320, 1280, 5, 1600},
        {StreamingChunkSize::ms160, 1280, 17, 1360},
        {StreamingChunkSize::ms1280, 1280, 2, 2560},
        {StreamingChunkSize::ms320, 0, 1, 320},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(sizeName(c.size)) + " debounce " + std::to_string(c.debounceMs));
        testsupport::TemporaryDirectory modelFolder;
        ScriptedEou models(modelFolder.path(), c.size);
        StreamingEouAsrManager manager({}, c.size, c.debounceMs);
        manager.loadModels(modelFolder.path());
        int callbacks = 0;
        manager.setEouCallback([&](const std::string&) { ++callbacks; });
        const auto g = geometry(c.size);
        // Samples that make exactly n chunks.
        const auto samplesFor = [&](int n) { return static_cast<std::size_t>(n > 0 ? (n - 1) * g.shiftSamples + g.chunkSamples : 0); };
        const auto frameSamples = static_cast<std::size_t>(scriptedeou::samplesPerFrame(c.size));
        const std::vector<int> marks(samplesFor(c.confirmingChunk + 1) / frameSamples + 1, eouMark);
        const auto audio = codedAudio(c.size, marks);
        const auto before = samplesFor(c.confirmingChunk - 1);
        if (before > 0) {
            manager.appendAudio(streamingtest::pcmBuffer(std::span(audio).first(before)));
            manager.processBufferedAudio();
            EXPECT_EQ(manager.processedChunks(), c.confirmingChunk - 1);
            EXPECT_FALSE(manager.eouDetected());
        }
        const auto upTo = samplesFor(c.confirmingChunk);
        manager.appendAudio(streamingtest::pcmBuffer(std::span(audio).subspan(before, upTo - before)));
        manager.processBufferedAudio();
        EXPECT_EQ(manager.processedChunks(), c.confirmingChunk);
        EXPECT_TRUE(manager.eouDetected());
        EXPECT_EQ(manager.getEouTimestampsMs(), (std::vector<std::int64_t>{c.eouTimeMs}));
        EXPECT_EQ(callbacks, 1);
        // A stream confirms once until reset.
        manager.appendAudio(streamingtest::pcmBuffer(std::span(audio).subspan(upTo)));
        manager.processBufferedAudio();
        EXPECT_EQ(manager.getEouTimestampsMs().size(), 1u);
        EXPECT_EQ(callbacks, 1);
    }
}

TEST_F(EouTests, TokensBeforeTheMarkOrChunksWithoutItCancelTheDebounce) {
    ScriptedEou models(folder.path(), StreamingChunkSize::ms1280);
    auto manager = load(StreamingChunkSize::ms1280);
    std::vector<int> frames(16, eouMark);  // chunk 1: candidate
    std::vector<int> speechThenMark(16, eouMark);
    speechThenMark[0] = 2;  // chunk 2: tokens then the mark cancels
    frames.insert(frames.end(), speechThenMark.begin(), speechThenMark.end());
    frames.insert(frames.end(), 16, eouMark);  // chunk 3: a new candidate
    frames.insert(frames.end(), 16, silence);  // chunk 4: no mark cancels
    frames.insert(frames.end(), 16, eouMark);  // chunk 5: a new candidate
    append(*manager, StreamingChunkSize::ms1280, frames);
    manager->processBufferedAudio();
    EXPECT_EQ(manager->processedChunks(), 5);
    EXPECT_FALSE(manager->eouDetected());
    EXPECT_EQ(manager->getPartialTranscript(), "w2");
}

TEST_F(EouTests, ChunksOverlapAndAdvanceByTheShift) {
    ScriptedEou models(folder.path(), StreamingChunkSize::ms320);
    auto manager = load(StreamingChunkSize::ms320);
    manager->appendAudio(streamingtest::pcmBuffer(std::vector<float>(15000, 0.0f)));
    manager->processBufferedAudio();
    EXPECT_EQ(manager->processedChunks(), 1);
    EXPECT_EQ(manager->bufferedSampleCount(), 9880u);
    EXPECT_EQ(manager->totalSamplesProcessed(), 5120);
    manager->injectSilence(0.5);
    EXPECT_EQ(manager->bufferedSampleCount(), 17880u);
    EXPECT_THROW(manager->injectSilence(-1), std::invalid_argument);
    EXPECT_THROW(manager->injectSilence(std::nan("")), std::invalid_argument);
    EXPECT_EQ(manager->process(streamingtest::pcmBuffer(codedAudio(StreamingChunkSize::ms320, {1, 2, 3, 4}))), "");
}

TEST_F(EouTests, EncoderInputsAndCachesCarry) {
    ScriptedEou models(folder.path(), StreamingChunkSize::ms160, {.encoderGivesTimeCache = false});
    auto manager = load(StreamingChunkSize::ms160);
    manager->appendAudio(streamingtest::pcmBuffer(std::vector<float>(3840, 0.0f)));
    manager->processBufferedAudio();
    const auto calls = models.record()->encoderCalls;
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].audioSignalShape, (std::vector<std::int64_t>{1, 128, 17}));
    EXPECT_EQ(calls[0].audioLength, 17);
    EXPECT_EQ(calls[1].preCache, 1.0);
    EXPECT_EQ(calls[1].channel, 1.0);
    EXPECT_EQ(calls[1].time, 0.0);  // the encoder returned no time cache
}

// A chunk decodes the frames of its first shift, so finish goes on with
// chunks, padded at the end, until every pending frame has been decoded: one
// chunk for a tail within one shift, never fewer than the frames need.
TEST_F(EouTests, FinishDecodesEveryPendingFrame) {
    struct Case {
        StreamingChunkSize size;
        int pendingFrames; // never processed before finish
        int chunks;        // decoded by finish
    };
    const Case cases[] = {
        {StreamingChunkSize::ms160, 2, 1},   // 1,280 samples: one shift, one chunk
        {StreamingChunkSize::ms160, 3, 2},   // 1,920: past the first shift
        {StreamingChunkSize::ms160, 4, 2},   // exactly one chunk of samples, two shifts of frames
        {StreamingChunkSize::ms160, 40, 20}, // 25,600: the last two frames need a chunk of their own
        {StreamingChunkSize::ms320, 4, 1},   // 5,120: one shift
        {StreamingChunkSize::ms320, 5, 2},   // 6,400: more than a shift, less than a chunk
        {StreamingChunkSize::ms320, 7, 2},
        {StreamingChunkSize::ms320, 40, 10}, // 51,200: ten shifts
        {StreamingChunkSize::ms1280, 16, 1},
        {StreamingChunkSize::ms1280, 40, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(sizeName(c.size)) + ", " + std::to_string(c.pendingFrames) + " frames");
        testsupport::TemporaryDirectory modelFolder;
        ScriptedEou models(modelFolder.path(), c.size);
        StreamingEouAsrManager manager({}, c.size);
        manager.loadModels(modelFolder.path());
        std::vector<int> frames;
        for (int i = 0; i < c.pendingFrames; ++i) frames.push_back(i % 8);
        append(manager, c.size, frames);
        EXPECT_EQ(manager.finish(), expectedText(frames));
        EXPECT_EQ(manager.processedChunks(), c.chunks);
        EXPECT_EQ(models.record()->encoderCalls.size(), static_cast<std::size_t>(c.chunks));
        EXPECT_EQ(manager.bufferedSampleCount(), 0u);
        EXPECT_TRUE(manager.getTokenTimestampsMs().empty());
        EXPECT_EQ(manager.finish(), "");
        EXPECT_EQ(manager.processedChunks(), c.chunks);
    }
}

// The zeros that pad finish's last chunks never enter the buffer: after a
// failed finish the retry sees the same samples and decodes them once.
TEST_F(EouTests, AFailedFinishKeepsOnlyTheRealSamples) {
    int jointCalls = 0;
    int failAt = -1;
    ScriptedEou models(folder.path(), StreamingChunkSize::ms160, {.beforeJoint = [&] {
        if (jointCalls++ == failAt) throw std::runtime_error("joint failed");
    }});
    auto manager = load(StreamingChunkSize::ms160);
    const std::vector<int> frames = {1, 2, 3};
    append(*manager, StreamingChunkSize::ms160, frames);
    failAt = 0;
    EXPECT_THROW(manager->finish(), std::runtime_error);
    EXPECT_EQ(manager->bufferedSampleCount(), 1920u);
    EXPECT_EQ(manager->finish(), expectedText(frames));
    EXPECT_EQ(manager->processedChunks(), 2);
}

TEST_F(EouTests, AFailedChunkIsRetriedFromTheLastGoodCaches) {
    int jointCalls = 0;
    int failAt = -1;
    ScriptedEou models(folder.path(), StreamingChunkSize::ms1280, {.beforeJoint = [&] {
        if (jointCalls++ == failAt) throw std::runtime_error("joint failed");
    }});
    auto manager = load(StreamingChunkSize::ms1280);
    std::vector<int> frames;
    for (int i = 0; i < 48; ++i) frames.push_back(i % 8);
    append(*manager, StreamingChunkSize::ms1280, std::vector<int>(frames.begin(), frames.begin() + 16));
    manager->processBufferedAudio();
    failAt = jointCalls + 9;  // midway through the second chunk
    append(*manager, StreamingChunkSize::ms1280, std::vector<int>(frames.begin() + 16, frames.end()));
    EXPECT_THROW(manager->processBufferedAudio(), std::runtime_error);
    EXPECT_EQ(manager->processedChunks(), 1);
    EXPECT_EQ(manager->bufferedSampleCount(), 2u * 20480u);
    manager->processBufferedAudio();
    EXPECT_EQ(manager->finish(), expectedText(frames));
    const auto calls = models.record()->encoderCalls;
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[2].channel, calls[1].channel);
    EXPECT_EQ(calls[2].channelLen, calls[1].channelLen);
    EXPECT_EQ(calls[2].preCache, 1.0);
}

TEST_F(EouTests, ModelFaultsAndMissingVocabularyPieces) {
    {
        ScriptedEou models(folder.path(), StreamingChunkSize::ms160, {.encoderGivesOutput = false});
        auto manager = load(StreamingChunkSize::ms160);
        manager->injectSilence(0.16);
        try {
            manager->processBufferedAudio();
            FAIL() << "no error";
        } catch (const ASRError& error) {
            EXPECT_EQ(error.description(), "ASR processing failed: Missing encoder output");
        }
        EXPECT_EQ(manager->bufferedSampleCount(), 2560u);
    }
    testsupport::TemporaryDirectory other;
    ScriptedEou models(other.path(), StreamingChunkSize::ms160,
                       {.jointAnswer = [](std::int32_t token) { return token == 0 ? 1025 : token; }});
    StreamingEouAsrManager manager({}, StreamingChunkSize::ms160);
    manager.loadModels(other.path());
    append(manager, StreamingChunkSize::ms160, {0, 1, 0, 1});
    manager.processBufferedAudio();
    EXPECT_EQ(manager.getRawTokenStrings(), (std::vector<std::string>{"<id:1025>", "\u2581w1"}));
    EXPECT_EQ(manager.getPartialTranscript(), "w1");
}

TEST_F(EouTests, LifecycleWithoutModels) {
    StreamingEouAsrManager manager({}, StreamingChunkSize::ms160);
    EXPECT_FALSE(manager.hasEncoderCaches());
    manager.reset();
    EXPECT_TRUE(manager.hasEncoderCaches());
    manager.injectSilence(0.2);
    try {
        manager.processBufferedAudio();
        FAIL() << "no error";
    } catch (const ASRError& error) {
        EXPECT_EQ(error.kind(), ASRErrorKind::notInitialized);
    }
    EXPECT_EQ(manager.bufferedSampleCount(), 3200u);
    EXPECT_EQ(manager.getPartialTranscript(), "");
    ScriptedEou models(folder.path(), StreamingChunkSize::ms160);
    manager.loadModels(folder.path());
    EXPECT_EQ(manager.bufferedSampleCount(), 0u);
    manager.cleanup();
    EXPECT_FALSE(manager.hasEncoderCaches());
}

TEST_F(EouTests, TheFusedSwitchIsExactlyOne) {
    struct Case {
        const char* value;
        bool withFile;
        bool fused;
        const char* log;
    };
    const Case cases[] = {
        {"1", true, true, "TAMSEL_EOU_FUSED=1: using fused decoder+joint_decision (1 dispatch per RNNT step)"},
        {"1", false, false, "TAMSEL_EOU_FUSED=1 set but decoder_joint_decision_fused.mlmodelc not found in "},
        {"true", true, false, nullptr},
        {"01", true, false, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.value) + (c.withFile ? " with the fused file" : " without it"));
        testsupport::TemporaryDirectory modelFolder;
        ScriptedEou models(modelFolder.path(), StreamingChunkSize::ms160, {.fusedFile = c.withFile});
        testsupport::ScopedEnvironment environment;
        environment.set("TAMSEL_EOU_FUSED", c.value);
        platform::ScopedLogCapture capture;
        StreamingEouAsrManager manager({}, StreamingChunkSize::ms160);
        manager.loadModels(modelFolder.path());
        append(manager, StreamingChunkSize::ms160, {3, 4, 5, 6});
        manager.processBufferedAudio();
        EXPECT_EQ(manager.finish(), "w3 w4 w5 w6");
        EXPECT_EQ(models.record()->fusedCalls > 0, c.fused);
        EXPECT_EQ(models.record()->jointCalls > 0, !c.fused);
        if (c.log) {
            EXPECT_TRUE(capture.contains(c.log));
        } else {
            EXPECT_FALSE(capture.contains("TAMSEL_EOU_FUSED"));
        }
    }
}

TEST_F(EouTests, CachedBuildsAreUsedAndIncompleteOnesDownloaded) {
    DownloadUtils::enforceOffline = true;
    const auto build = folder / "parakeet-eou-streaming/160ms";
    {
        ScriptedEou models(build, StreamingChunkSize::ms160);
        StreamingEouAsrManager manager({}, StreamingChunkSize::ms160);
        platform::ScopedLogCapture capture;
        manager.loadModels(folder.path(), std::nullopt, {});
        EXPECT_TRUE(capture.contains("Using cached Parakeet EOU models at " + build.string()));
        std::filesystem::remove(build / "vocab.json");
        platform::ScopedLogCapture downloading;
        EXPECT_THROW(manager.loadModels(folder.path(), std::nullopt, {}), DownloadUtils::OfflineError);
        EXPECT_TRUE(downloading.contains("Downloading Parakeet EOU models to " + folder.path().string() + "..."));
    }
    DownloadUtils::enforceOffline = false;
}

TEST_F(EouTests, DebugFeaturesAreCollectedAndSaved) {
    ScriptedEou models(folder.path(), StreamingChunkSize::ms160);
    auto manager = load(StreamingChunkSize::ms160, 1280, true);
    manager->injectSilence(0.16);
    manager->processBufferedAudio();
    const auto file = folder / "features.json";
    manager->saveDebugFeatures(file);
    std::ifstream stream(file);
    const auto json = nlohmann::json::parse(stream);
    EXPECT_EQ(json["count"], 128 * 17);
    EXPECT_EQ(json["mel_features"].size(), 128u * 17u);
    manager->reset();
    manager->saveDebugFeatures(file);
    std::ifstream again(file);
    EXPECT_EQ(nlohmann::json::parse(again)["count"], 0);
}

} // namespace
} // namespace razeziruzer
