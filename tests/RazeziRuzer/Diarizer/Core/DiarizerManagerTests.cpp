#include "RazeziRuzer/Diarizer/Core/DiarizerManager.hpp"

#include "Platform/CoreML/ScriptedModelBackend.hpp"

#include "RazeziRuzer/Diarizer/Core/DiarizerError.hpp"
#include "RazeziRuzer/Diarizer/DiarizationDER.hpp"
#include "tests/RazeziRuzer/Diarizer/ScriptedDiarizer/ScriptedDiarizer.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <random>

namespace razeziruzer {
namespace {

using diarizertest::appendSpeech;
using diarizertest::ScriptedDiarizer;

class DiarizerManagerTests : public ::testing::Test {
protected:
    std::unique_ptr<DiarizerManager> makeManager(DiarizerConfig config = {}) {
        auto manager = std::make_unique<DiarizerManager>(config);
        manager->initialize({scripted.segmentationModel(), scripted.embeddingModel(), 0.5});
        return manager;
    }

    ScriptedDiarizer scripted;
};

int codeAt(const std::vector<float>& audio, double seconds) {
    const auto index = static_cast<std::size_t>(seconds * 16000);
    return index < audio.size() ? static_cast<int>(std::lround(audio[index] * 10)) : 0;
}

TEST_F(DiarizerManagerTests, NothingRunsBeforeInitialisation) {
    DiarizerManager manager;
    EXPECT_FALSE(manager.isAvailable());
    EXPECT_THROW(manager.performCompleteDiarization(std::vector<float>(16000, 0.1f)), DiarizerError);
    EXPECT_THROW(manager.extractSpeakerEmbedding(std::vector<float>(16000, 0.1f)), DiarizerError);
    EXPECT_FLOAT_EQ(manager.speakerManager.speakerThreshold, 0.7f * 1.2f);
    EXPECT_FLOAT_EQ(manager.speakerManager.embeddingThreshold, 0.7f * 0.8f);
}

TEST_F(DiarizerManagerTests, ChunksOffsetsAndSpeakers) {
    auto manager = makeManager();
    std::vector<float> audio;
    appendSpeech(audio, 0, 2);
    appendSpeech(audio, 1, 5);   // 2 ... 7 s
    appendSpeech(audio, 0, 6);
    appendSpeech(audio, 2, 5);   // 13 ... 18 s
    appendSpeech(audio, 0, 3);
    appendSpeech(audio, 1, 3);   // 21 ... 24 s
    appendSpeech(audio, 0, 1);   // 25 s in all: chunks at 0, 10 and 20 s
    const auto result = manager->performCompleteDiarization(audio, 16000, 60);
    EXPECT_EQ(scripted.segmentationCalls->load(), 3);
    ASSERT_EQ(result.segments.size(), 3u);
    const auto& first = result.segments[0];
    EXPECT_EQ(first.speakerId, "1");
    EXPECT_NEAR(first.startTimeSeconds, 62.0, 0.02);
    EXPECT_NEAR(first.endTimeSeconds, 67.0, 0.02);
    EXPECT_EQ(result.segments[1].speakerId, "2");
    EXPECT_NEAR(result.segments[1].startTimeSeconds, 73.0, 0.02);
    EXPECT_EQ(result.segments[2].speakerId, "1");
    EXPECT_NEAR(result.segments[2].startTimeSeconds, 81.0, 0.02);
    EXPECT_FALSE(result.timings.has_value());
    EXPECT_FALSE(result.speakerDatabase.has_value());
    EXPECT_FALSE(result.chunkEmbeddings.has_value());
    EXPECT_EQ(manager->speakerManager.speakerDatabase().size(), 2u);
}

TEST_F(DiarizerManagerTests, DebugModeReportsDatabaseAndTimings) {
    DiarizerConfig config;
    config.debugMode = true;
    auto manager = makeManager(config);
    std::vector<float> audio;
    appendSpeech(audio, 3, 4);
    const auto result = manager->performCompleteDiarization(audio);
    ASSERT_TRUE(result.timings.has_value());
    EXPECT_DOUBLE_EQ(result.timings->modelCompilationSeconds, 0.5);
    ASSERT_TRUE(result.speakerDatabase.has_value());
    EXPECT_EQ(result.speakerDatabase->count("1"), 1u);
    EXPECT_FALSE(result.chunkEmbeddings.has_value());
    const auto empty = manager->performCompleteDiarization(std::vector<float>{});
    EXPECT_TRUE(empty.segments.empty());
    EXPECT_EQ(empty.speakerDatabase->size(), 1u);
}

TEST_F(DiarizerManagerTests, LongChunksAreDiarizedPastTheSegmentationWindow) {
    DiarizerConfig config;
    config.chunkDuration = 15;
    auto manager = makeManager(config);
    std::vector<float> audio;
    appendSpeech(audio, 0, 11);
    appendSpeech(audio, 4, 3);  // 11 ... 14 s, beyond the first 10 s of a 15 s chunk
    appendSpeech(audio, 0, 1);
    const auto result = manager->performCompleteDiarization(audio);
    ASSERT_EQ(result.segments.size(), 1u);
    EXPECT_NEAR(result.segments[0].startTimeSeconds, 11.0, 0.02);
    EXPECT_NEAR(result.segments[0].endTimeSeconds, 14.0, 0.02);
}

TEST_F(DiarizerManagerTests, ChunkStepsFollowDurationAndOverlapWithinTheWindow) {
    struct Case {
        const char* name;
        float duration, overlap;
        int seconds;   // of silent audio
        int chunks;    // segmentation calls
    };
    const Case cases[] = {
        {"whole seconds, halves away from zero: 10 and 3, chunks every 7 s", 10.4f, 2.5f, 15, 3},
        {"a 15 s chunk with 12 s overlap steps 3 s", 15, 12, 30, 10},
        {"a step longer than the window is cut to it", 15, 0, 25, 3},
        {"an overlap longer than the chunk gives no chunks", 5, 8, 30, 0},
        {"an overlap longer than a chunk cut to the window still gives none", 15, 16, 30, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DiarizerConfig config;
        config.chunkDuration = c.duration;
        config.chunkOverlap = c.overlap;
        auto manager = makeManager(config);
        const auto before = scripted.segmentationCalls->load();
        const auto result =
            manager->performCompleteDiarization(std::vector<float>(static_cast<std::size_t>(c.seconds) * 16000, 0.0f));
        EXPECT_EQ(scripted.segmentationCalls->load() - before, c.chunks);
        EXPECT_TRUE(result.segments.empty());
    }
}

TEST_F(DiarizerManagerTests, OverlappingChunksTimeTheirSegmentsFromTheirOwnStart) {
    DiarizerConfig config;
    config.chunkDuration = 15;
    config.chunkOverlap = 12;
    auto manager = makeManager(config);
    std::vector<float> audio;
    appendSpeech(audio, 0, 4);
    appendSpeech(audio, 2, 2);  // 4 ... 6 s: heard by the chunks at 0 and 3 s
    appendSpeech(audio, 0, 1);
    const auto result = manager->performCompleteDiarization(audio);
    ASSERT_EQ(result.segments.size(), 2u);
    for (const auto& segment : result.segments) {
        EXPECT_EQ(segment.speakerId, "1");
        EXPECT_NEAR(segment.startTimeSeconds, 4.0, 0.02);
        EXPECT_NEAR(segment.endTimeSeconds, 6.0, 0.02);
    }
}

TEST_F(DiarizerManagerTests, AStepOfZeroIsRefused) {
    DiarizerConfig stuck;
    stuck.chunkDuration = 3;
    stuck.chunkOverlap = 3;
    auto refusing = makeManager(stuck);
    try {
        refusing->performCompleteDiarization(std::vector<float>(16000, 0.0f));
        FAIL() << "no error";
    } catch (const DiarizerError& error) {
        EXPECT_EQ(error.kind(), DiarizerErrorKind::processingFailed);
        EXPECT_EQ(error.description(), "Processing failed: Chunk overlap must be shorter than the chunk duration");
    }
}

TEST_F(DiarizerManagerTests, AFailedChunkLeavesTheDatabaseAsItWas) {
    auto manager = makeManager();
    std::vector<float> audio;
    appendSpeech(audio, 1, 5);
    appendSpeech(audio, 0, 5);
    appendSpeech(audio, 2, 5);
    scripted.failOnSegmentationCall->store(2);
    EXPECT_THROW(manager->performCompleteDiarization(audio), std::exception);
    EXPECT_TRUE(manager->speakerManager.speakerDatabase().empty());
    // The next call starts from the same database and numbering.
    const auto result = manager->performCompleteDiarization(audio);
    ASSERT_FALSE(result.segments.empty());
    EXPECT_EQ(result.segments[0].speakerId, "1");
}

TEST_F(DiarizerManagerTests, WholeRecordingEmbeddingAndKnownSpeakers) {
    auto manager = makeManager();
    std::vector<float> audio;
    appendSpeech(audio, 5, 3);
    const auto embedding = manager->extractSpeakerEmbedding(audio);
    ASSERT_EQ(embedding.size(), 256u);
    EXPECT_FLOAT_EQ(embedding[5], 0.98f);

    manager->initializeKnownSpeakers({Speaker("alice", "Alice", embedding)});
    const auto result = manager->performCompleteDiarization(audio);
    ASSERT_EQ(result.segments.size(), 1u);
    EXPECT_EQ(result.segments[0].speakerId, "alice");
}

// A segmentation model answering one powerset class per frame, whatever the audio.
platform::coreml::MLModel classesPerFrame(const std::vector<int>& classes) {
    using namespace platform::coreml;
    const auto frames = static_cast<std::int64_t>(classes.size());
    MLMultiArray scores({1, frames, 7}, MLMultiArrayDataType::float32);
    for (std::int64_t f = 0; f < frames; ++f) scores[{0, f, classes[static_cast<std::size_t>(f)]}] = 1.0;
    return MLModel(std::make_shared<ScriptedModelBackend>(
        MLModelDescription::make({MLFeatureDescription::multiArray("audio", {1, 1, 160000}, MLMultiArrayDataType::float32)},
                                 {MLFeatureDescription::multiArray("segments", {1, frames, 7}, MLMultiArrayDataType::float32)}),
        [scores](const auto&, auto*) { return ScriptedModelBackend::Outputs{{"segments", MLFeatureValue(scores)}}; }));
}

TEST_F(DiarizerManagerTests, ActivityThresholdsOfLocalSpeakers) {
    struct Case {
        const char* name;
        int from, to;          // frames of local speaker 0
        int overlapFrames;     // of those, how many also have local speaker 2 (class 5)
        std::size_t segments;
        std::size_t speakers;
        float minSpeechDuration = 1.0f;
        double start = 0, end = 0; // of the one segment, chunk at 20 s
    };
    const Case cases[] = {
        {"a hundred frames make one segment", 100, 200, 0, 1, 1, 1.0f, 21.6875, 23.375},
        {"exactly the minimum activity is not enough", 100, 110, 0, 0, 0},
        {"exactly the minimum activity gets no id, however short the minimum speech", 100, 110, 0, 0, 0, 0.1f},
        {"overlapped frames count for activity but not for the mask", 100, 112, 4, 0, 0},
        {"frames of two speakers feed neither mask", 100, 170, 62, 0, 0},
        {"too short to found a speaker", 100, 150, 0, 0, 0},
        {"a segment open at the chunk's end ends at frames x step", 500, 589, 0, 1, 1, 1.0f, 28.4375, 29.939375},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<int> classes(diarizertest::frames, 0);
        for (int f = c.from; f < c.to; ++f) classes[static_cast<std::size_t>(f)] = f < c.from + c.overlapFrames ? 5 : 1;
        DiarizerConfig config;
        config.minSpeechDuration = c.minSpeechDuration;
        DiarizerManager manager(config);
        manager.initialize({classesPerFrame(classes), scripted.embeddingModel(), 0});
        std::vector<float> audio;
        appendSpeech(audio, 1, 10);
        const auto result = manager.performCompleteDiarization(audio, 16000, 20);
        EXPECT_EQ(result.segments.size(), c.segments);
        EXPECT_EQ(manager.speakerManager.speakerDatabase().size(), c.speakers);
        if (c.segments == 1) {
            EXPECT_NEAR(result.segments[0].startTimeSeconds, c.start, 1e-4);
            EXPECT_NEAR(result.segments[0].endTimeSeconds, c.end, 1e-4);
            EXPECT_FLOAT_EQ(result.segments[0].qualityScore, std::sqrt(0.98f * 0.98f + 0.2f * 0.2f) / 10);
        }
    }
}

TEST_F(DiarizerManagerTests, ASegmentAsLongAsTheMinimumSpeechIsKept) {
    // 64 frames found the speaker; a later run of 11 frames lasts exactly the minimum.
    std::vector<int> classes(diarizertest::frames, 0);
    for (int f = 100; f < 164; ++f) classes[static_cast<std::size_t>(f)] = 1;
    for (int f = 300; f < 311; ++f) classes[static_cast<std::size_t>(f)] = 1;
    DiarizerConfig config;
    config.minSpeechDuration = static_cast<float>(11 * 0.016875);
    DiarizerManager manager(config);
    manager.initialize({classesPerFrame(classes), scripted.embeddingModel(), 0});
    std::vector<float> audio;
    appendSpeech(audio, 1, 10);
    const auto result = manager.performCompleteDiarization(audio);
    ASSERT_EQ(result.segments.size(), 2u);
    EXPECT_NEAR(result.segments[1].startTimeSeconds, 300 * 0.016875, 1e-4);
    EXPECT_NEAR(result.segments[1].endTimeSeconds, 311 * 0.016875, 1e-4);
}

TEST_F(DiarizerManagerTests, ATenMinuteConversationKeepsStableSpeakerIds) {
    std::mt19937 random(42);
    std::uniform_int_distribution<int> who(1, 4);
    std::uniform_real_distribution<double> turn(2.5, 9.0);
    std::uniform_real_distribution<double> pause(0.0, 1.5);
    std::vector<float> audio;
    std::vector<DERSpeakerSegment> reference;
    int last = 0;
    while (audio.size() < 600 * 16000) {
        int speaker = who(random);
        if (speaker == last) speaker = speaker % 4 + 1;
        last = speaker;
        const double start = static_cast<double>(audio.size()) / 16000;
        const double length = std::round(turn(random) * 100) / 100;
        appendSpeech(audio, speaker, length);
        reference.push_back({"voice" + std::to_string(speaker), start, start + length});
        appendSpeech(audio, 0, std::round(pause(random) * 100) / 100);
    }

    auto manager = makeManager();
    // Two calls in a row: the database carries the speakers from the first half into the second.
    const auto half = audio.size() / 2 / 160000 * 160000;
    auto first = manager->performCompleteDiarization(std::span(audio).first(half));
    auto second = manager->performCompleteDiarization(std::span(audio).subspan(half), 16000,
                                                     static_cast<double>(half) / 16000);
    std::vector<DERSpeakerSegment> hypothesis;
    std::map<int, std::string> idOfVoice;
    for (const auto* result : {&first, &second}) {
        for (const auto& segment : result->segments) {
            const int voice = codeAt(audio, (segment.startTimeSeconds + segment.endTimeSeconds) / 2);
            const auto [known, inserted] = idOfVoice.emplace(voice, segment.speakerId);
            EXPECT_EQ(known->second, segment.speakerId) << "voice " << voice << " at " << segment.startTimeSeconds;
            hypothesis.push_back({segment.speakerId, segment.startTimeSeconds, segment.endTimeSeconds});
        }
    }
    EXPECT_EQ(idOfVoice.size(), 4u);
    EXPECT_EQ(manager->speakerManager.speakerDatabase().size(), 4u);
    const auto der = DiarizationDER::compute(reference, hypothesis, 0.01, 0.0);
    EXPECT_LT(der.der, 0.05);
    EXPECT_DOUBLE_EQ(der.confusion, 0.0);
    EXPECT_EQ(der.mapping.size(), 4u);
}

} // namespace
} // namespace razeziruzer
