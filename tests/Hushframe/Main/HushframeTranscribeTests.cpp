#include "Hushframe/Core/Hushframe.hpp"
#include "Hushframe/Core/Models/WhisperTokenizerWrapper.hpp"
#include "Hushframe/Core/WhisperError.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/AutoTokenizer.hpp"
#include "Platform/Audio/WavWriter.hpp"
#include "Platform/Concurrency/Cancellation.hpp"
#include "tests/Hushframe/Core/PackageLogCapture.hpp"
#include "tests/Hushframe/Main/WhisperModelFolder.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

namespace hushframe {
namespace {

using pelluxcore::ModelState;

struct EchoScript {
    std::atomic<int> running{0};
    std::atomic<int> peak{0};
    // Arrays starting with this sample fail.
    std::optional<float> failingFirstSample;
    // Arrays starting with this sample are cancelled.
    std::optional<float> cancelledFirstSample;
    std::mutex mutex;
    std::vector<std::size_t> sizes;
    std::vector<std::vector<float>> clipTimestamps;
    // The instance's progress total as each task was set up.
    std::vector<std::int64_t> progressTotals;
};

// Reports one progress step and one segment (seek 5), then returns the first
// sample as the text and one segment from 1.0 to 2.5 s with one word.
class EchoTask : public TranscribeTask {
public:
    explicit EchoTask(EchoScript& script) : script_(script) {}

    std::shared_ptr<TranscriptionResult> run(const std::vector<float>& audioArray,
                                             const std::optional<DecodingOptions>& options,
                                             const TranscriptionCallback& callback) override {
        const int now = ++script_.running;
        for (int seen = script_.peak; now > seen && !script_.peak.compare_exchange_weak(seen, now);) {
        }
        {
            std::lock_guard lock(script_.mutex);
            script_.sizes.push_back(audioArray.size());
            if (options) script_.clipTimestamps.push_back(options->clipTimestamps);
        }
        if (!audioArray.empty() && audioArray[0] == script_.cancelledFirstSample) {
            --script_.running;
            throw platform::CancellationError();
        }
        if (audioArray.empty() || audioArray[0] == script_.failingFirstSample) {
            --script_.running;
            throw WhisperError::transcriptionFailed("empty");
        }
        if (callback) callback(TranscriptionProgress{});
        if (segmentDiscoveryCallback) {
            TranscriptionSegment segment;
            segment.seek = 5;
            segmentDiscoveryCallback({segment});
        }
        --script_.running;
        TranscriptionSegment segment;
        segment.start = 1.0F;
        segment.end = 2.5F;
        segment.words = std::vector<WordTiming>{{"hi", {2}, 1.0F, 1.5F, 0.9F}};
        return std::make_shared<TranscriptionResult>(std::to_string(static_cast<int>(audioArray[0])),
                                                     std::vector<TranscriptionSegment>{segment}, "en",
                                                     TranscriptionTimings{});
    }

private:
    EchoScript& script_;
};

// Loads nothing but a tokenizer, and runs echo tasks.
class EchoPipeline : public Hushframe {
public:
    EchoPipeline(ConstructionKey key, const HushframeConfig& config, std::shared_ptr<WhisperTokenizer> tokenizer)
        : Hushframe(key, config), tokenizer_(std::move(tokenizer)) {}

    void loadModels(bool) override {
        ++loads;
        setModelState(ModelState::loaded);
        setTokenizer(tokenizer_);
    }

    std::unique_ptr<TranscribeTask> setupTranscribeTask(const TranscriptionTimings&, std::shared_ptr<Progress>,
                                                        std::shared_ptr<AudioProcessing>,
                                                        std::shared_ptr<AudioEncoding>,
                                                        std::shared_ptr<FeatureExtracting>,
                                                        std::shared_ptr<SegmentSeeking>,
                                                        std::shared_ptr<TextDecoding>,
                                                        std::shared_ptr<WhisperTokenizer>) override {
        {
            std::lock_guard lock(script.mutex);
            script.progressTotals.push_back(progress()->totalUnitCount());
        }
        return std::make_unique<EchoTask>(script);
    }

    int loads = 0;
    EchoScript script;

private:
    std::shared_ptr<WhisperTokenizer> tokenizer_;
};

class HushframeTranscribeTests : public ::testing::Test {
protected:
    testsupport::TemporaryDirectory temp;
    std::shared_ptr<EchoPipeline> pipeline;

    HushframeTranscribeTests() {
        ::hushframe::testing::writeTokenizerFiles(temp.path());
        HushframeConfig config;
        config.download = false;
        config.verbose = false;
        pipeline = Hushframe::create<EchoPipeline>(
            config, std::make_shared<WhisperTokenizerWrapper>(modelhubkit::AutoTokenizer::from(temp.path()), temp.path()));
    }

    static std::vector<std::vector<float>> arrays(int count) {
        std::vector<std::vector<float>> result;
        for (int i = 0; i < count; ++i) result.push_back({static_cast<float>(i)});
        return result;
    }

    static DecodingOptions workers(int count) {
        DecodingOptions::Arguments arguments;
        arguments.concurrentWorkerCount = count;
        return DecodingOptions(arguments);
    }

    static DecodingOptions vad(std::vector<float> clipTimestamps = {}) {
        DecodingOptions::Arguments arguments;
        arguments.chunkingStrategy = ChunkingStrategy::vad;
        arguments.clipTimestamps = std::move(clipTimestamps);
        return DecodingOptions(arguments);
    }

    // 40 s: level 1 until 20 s, a pause to 22 s, then level 2. Cut at 21 s.
    static std::vector<float> pausedSpeech() {
        std::vector<float> samples(640000, 1.0F);
        std::fill(samples.begin() + 320000, samples.begin() + 352000, 0.0F);
        std::fill(samples.begin() + 352000, samples.end(), 2.0F);
        return samples;
    }

    std::string wav(const std::string& name, float level, std::size_t samples = 16000) {
        const auto path = temp / name;
        platform::audio::WavWriter::write(path, std::vector<float>(samples, level), 16000, 1);
        return path.string();
    }

    static std::string textOf(const TranscriptionOutcome& outcome) {
        if (const auto* results = std::get_if<TranscriptionResults>(&outcome)) return results->at(0)->text();
        try {
            std::rethrow_exception(std::get<std::exception_ptr>(outcome));
        } catch (const std::exception& error) {
            return std::string("error: ") + error.what();
        }
    }
};

TEST_F(HushframeTranscribeTests, DirectRunLoadsModelsOnceAndCountsProgress) {
    const auto first = pipeline->transcribe(std::vector<float>{7}, std::nullopt);
    const auto second = pipeline->transcribe(std::vector<float>{8}, std::nullopt);

    EXPECT_EQ(pipeline->loads, 1);
    EXPECT_EQ(first.at(0)->text(), "7");
    EXPECT_EQ(second.at(0)->text(), "8");
    EXPECT_EQ(pipeline->progress()->totalUnitCount(), 1);
}

TEST_F(HushframeTranscribeTests, OnlyACancelledRunStartsTheNextFromAFreshProgress) {
    pipeline->script.failingFirstSample = 1.0F;
    pipeline->script.cancelledFirstSample = 2.0F;
    const auto before = pipeline->progress();

    EXPECT_THROW(pipeline->transcribe(std::vector<float>{1}, std::nullopt), WhisperError);
    EXPECT_EQ(pipeline->progress(), before);

    EXPECT_THROW(pipeline->transcribe(std::vector<float>{2}, std::nullopt), platform::CancellationError);
    EXPECT_NE(pipeline->progress(), before);
    EXPECT_EQ(pipeline->progress()->totalUnitCount(), 0);
}

TEST_F(HushframeTranscribeTests, BatchesKeepInputOrderAndBoundWorkers) {
    std::mutex mutex;
    std::vector<std::int64_t> windowIds;
    std::vector<TranscriptionOutcome> outcomes;
    const std::vector<std::optional<DecodingOptions>> options(20, workers(16));

    outcomes = pipeline->transcribeWithOptions(arrays(20), options, std::nullopt, [&](const auto& progress) {
        std::lock_guard lock(mutex);
        windowIds.push_back(progress.windowId);
        return std::optional<bool>(true);
    });

    ASSERT_EQ(outcomes.size(), 20u);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(textOf(outcomes[i]), std::to_string(i));
    std::ranges::sort(windowIds);
    EXPECT_EQ(windowIds.front(), 0);
    EXPECT_EQ(windowIds.back(), 19);
    EXPECT_LE(pipeline->script.peak.load(), 16);
}

TEST_F(HushframeTranscribeTests, WorkerCountsBelowOneStillTranscribeEveryArrayOneAtATime) {
    for (const int count : {0, -3}) {
        SCOPED_TRACE(count);
        const std::vector<std::optional<DecodingOptions>> options(5, workers(count));
        const auto outcomes = pipeline->transcribeWithOptions(arrays(5), options, std::nullopt);
        ASSERT_EQ(outcomes.size(), 5u);
        for (int i = 0; i < 5; ++i) EXPECT_EQ(textOf(outcomes[i]), std::to_string(i));
        EXPECT_EQ(pipeline->script.peak.load(), 1);
    }
}

TEST_F(HushframeTranscribeTests, UnbalancedRequestsGiveOneFailure) {
    const auto options = pipeline->transcribeWithOptions(arrays(3), {std::nullopt, std::nullopt}, std::nullopt);
    ASSERT_EQ(options.size(), 1u);
    EXPECT_EQ(textOf(options[0]), "error: The number of audio arrays and decoding options must be balanced.");

    const auto offsets =
        pipeline->transcribeWithOptions(arrays(2), {std::nullopt, std::nullopt}, std::vector<int>{1});
    ASSERT_EQ(offsets.size(), 1u);
    EXPECT_EQ(textOf(offsets[0]), "error: The number of audio arrays and seek offset indexes must be balanced.");

    EXPECT_TRUE(pipeline->transcribeWithResults(std::vector<std::vector<float>>{}, std::nullopt).empty());
}

TEST_F(HushframeTranscribeTests, OneFailingArrayLeavesTheOthers) {
    const auto results = pipeline->transcribe(std::vector<std::vector<float>>{{1}, {}, {2}}, std::nullopt);
    ASSERT_EQ(results.size(), 3u);
    EXPECT_TRUE(results[0]);
    EXPECT_FALSE(results[1]);
    EXPECT_TRUE(results[2]);
}

TEST_F(HushframeTranscribeTests, SeekOffsetsShiftDiscoveredSegments) {
    std::mutex mutex;
    std::vector<std::int64_t> seeks;
    pipeline->setSegmentDiscoveryCallback([&](const std::vector<TranscriptionSegment>& segments) {
        std::lock_guard lock(mutex);
        for (const auto& segment : segments) seeks.push_back(segment.seek);
    });

    pipeline->transcribeWithOptions(arrays(2), {std::nullopt, std::nullopt}, std::vector<int>{100, 200});

    std::ranges::sort(seeks);
    EXPECT_EQ(seeks, (std::vector<std::int64_t>{105, 205}));
}

TEST_F(HushframeTranscribeTests, VoiceActivityChunkingStartsAboveOneWindow) {
    const auto direct = pipeline->transcribe(std::vector<float>(480000, 1.0F), vad());
    ASSERT_EQ(direct.size(), 1u);
    EXPECT_FALSE(direct[0]->seekTime());

    // Chunked: one chunk of one window and one of the last sample, so no sample is left out.
    const auto chunked = pipeline->transcribe(std::vector<float>(480001, 1.0F), vad());
    ASSERT_EQ(chunked.size(), 2u);
    EXPECT_EQ(chunked[0]->seekTime(), 0.0F);
    EXPECT_EQ(chunked[1]->seekTime(), 30.0F);
    std::ranges::sort(pipeline->script.sizes);
    EXPECT_EQ(pipeline->script.sizes, (std::vector<std::size_t>{1, 480000, 480000}));
}

TEST_F(HushframeTranscribeTests, ChunkResultsComeBackOnTheRecordingsTimeLine) {
    std::mutex mutex;
    std::vector<std::int64_t> discovered;
    pipeline->setSegmentDiscoveryCallback([&](const std::vector<TranscriptionSegment>& segments) {
        std::lock_guard lock(mutex);
        for (const auto& segment : segments) discovered.push_back(segment.seek);
    });
    bool perCallCallbackUsed = false;

    const auto results = pipeline->transcribe(pausedSpeech(), vad({0, 40}), {},
                                              [&](const auto&) { perCallCallbackUsed = true; });

    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0]->text(), "1");
    EXPECT_EQ(results[1]->text(), "0");
    EXPECT_EQ(results[1]->seekTime(), 21.0F);
    const auto segment = results[1]->segments().at(0);
    EXPECT_EQ(segment.seek, 336000);
    EXPECT_FLOAT_EQ(segment.start, 22.0F);
    EXPECT_FLOAT_EQ(segment.end, 23.5F);
    EXPECT_FLOAT_EQ(segment.words->at(0).start, 22.0F);
    EXPECT_FLOAT_EQ(results[0]->segments().at(0).start, 1.0F);
    // Chunks are transcribed whole: their options carry no clip timestamps.
    EXPECT_EQ(pipeline->script.clipTimestamps, (std::vector<std::vector<float>>(2)));
    // The instance's callback hears segments with only their seek shifted.
    EXPECT_FALSE(perCallCallbackUsed);
    std::ranges::sort(discovered);
    EXPECT_EQ(discovered, (std::vector<std::int64_t>{5, 336005}));
    // The instance's progress counts every chunk before the first one runs.
    EXPECT_EQ(pipeline->script.progressTotals, (std::vector<std::int64_t>{2, 2}));
}

TEST_F(HushframeTranscribeTests, AFailedChunkFailsTheWholeCall) {
    testing::PackageLogCapture log(pelluxcore::Logging::LogLevel::error);
    // The second chunk starts in the pause.
    pipeline->script.failingFirstSample = 0.0F;

    try {
        pipeline->transcribe(pausedSpeech(), vad());
        FAIL() << "a transcript missing a chunk was returned";
    } catch (const WhisperError& error) {
        EXPECT_EQ(error.kind(), WhisperErrorKind::transcriptionFailed);
        EXPECT_EQ(error.message(), "empty");
    }
    EXPECT_THAT(log.messages(), ::testing::Contains("Error transcribing chunk 1: empty"));
    // Both chunks ran; the failure was not hidden behind the first chunk's success.
    EXPECT_EQ(pipeline->script.sizes.size(), 2u);
}

TEST_F(HushframeTranscribeTests, ChunkingErrorsAreThrown) {
    EXPECT_THROW(pipeline->transcribe(pausedSpeech(), vad({50, 100})), WhisperError);
    EXPECT_TRUE(pipeline->script.sizes.empty());
}

TEST_F(HushframeTranscribeTests, OneFileIsLoadedTimedAndReported) {
    std::vector<TranscriptionState> states;
    pipeline->setTranscriptionStateCallback([&](TranscriptionState state) { states.push_back(state); });

    const auto results = pipeline->transcribe(wav("one.wav", 0.5F), std::nullopt);

    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(pipeline->script.sizes, (std::vector<std::size_t>{16000}));
    EXPECT_GT(pipeline->currentTimings().audioLoading, 0);
    EXPECT_EQ(states, (std::vector<TranscriptionState>{TranscriptionState::convertingAudio,
                                                       TranscriptionState::transcribing,
                                                       TranscriptionState::finished}));
}

TEST_F(HushframeTranscribeTests, AFileThatCannotBeReadStopsAfterConverting) {
    std::vector<TranscriptionState> states;
    pipeline->setTranscriptionStateCallback([&](TranscriptionState state) { states.push_back(state); });
    const auto missing = (temp / "missing.wav").string();

    try {
        pipeline->transcribe(missing, std::nullopt);
        FAIL() << "transcribed a missing file";
    } catch (const WhisperError& error) {
        EXPECT_EQ(error.message(), "Resource path does not exist " + missing);
    }
    EXPECT_EQ(states, (std::vector<TranscriptionState>{TranscriptionState::convertingAudio}));
    EXPECT_TRUE(pipeline->script.sizes.empty());

    // A transcription error still ends in finished.
    states.clear();
    pipeline->script.failingFirstSample = 0.0F;
    EXPECT_THROW(pipeline->transcribe(wav("silent.wav", 0.0F), std::nullopt), WhisperError);
    EXPECT_EQ(states.back(), TranscriptionState::finished);
}

TEST_F(HushframeTranscribeTests, ListsOfFilesKeepPathOrderAndReportLoadingFailures) {
    std::vector<TranscriptionState> states;
    pipeline->setTranscriptionStateCallback([&](TranscriptionState state) { states.push_back(state); });
    const std::vector<std::string> paths{wav("a.wav", 0.5F, 1600), (temp / "missing.wav").string(),
                                         wav("c.wav", 0.5F, 3200)};

    const auto outcomes = pipeline->transcribeWithResults(paths, std::nullopt);

    ASSERT_EQ(outcomes.size(), 3u);
    EXPECT_EQ(textOf(outcomes[0]), "0");
    EXPECT_EQ(textOf(outcomes[1]), "error: Resource path does not exist " + paths[1]);
    EXPECT_EQ(textOf(outcomes[2]), "0");
    std::ranges::sort(pipeline->script.sizes);
    EXPECT_EQ(pipeline->script.sizes, (std::vector<std::size_t>{1600, 3200}));
    EXPECT_EQ(states, (std::vector<TranscriptionState>{TranscriptionState::convertingAudio,
                                                       TranscriptionState::transcribing,
                                                       TranscriptionState::finished}));

    const auto optional = pipeline->transcribe(paths, std::nullopt);
    ASSERT_EQ(optional.size(), 3u);
    EXPECT_TRUE(optional[0]);
    EXPECT_FALSE(optional[1]);
    EXPECT_TRUE(optional[2]);
}

} // namespace
} // namespace hushframe
