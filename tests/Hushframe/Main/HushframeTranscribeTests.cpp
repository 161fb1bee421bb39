#include "Hushframe/Core/Hushframe.hpp"
#include "Hushframe/Core/Models/WhisperTokenizerWrapper.hpp"
#include "Hushframe/Core/WhisperError.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/AutoTokenizer.hpp"
#include "tests/Hushframe/Main/WhisperModelFolder.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

namespace hushframe {
namespace {

using pelluxcore::ModelState;

// Reports one progress step, then returns the first sample as the text.
class EchoTask : public TranscribeTask {
public:
    EchoTask(std::atomic<int>& running, std::atomic<int>& peak) : running_(running), peak_(peak) {}

    std::shared_ptr<TranscriptionResult> run(const std::vector<float>& audioArray,
                                             const std::optional<DecodingOptions>&,
                                             const TranscriptionCallback& callback) override {
        const int now = ++running_;
        for (int seen = peak_; now > seen && !peak_.compare_exchange_weak(seen, now);) {
        }
        if (audioArray.empty()) {
            --running_;
            throw WhisperError::transcriptionFailed("empty");
        }
        if (callback) callback(TranscriptionProgress{});
        if (segmentDiscoveryCallback) {
            TranscriptionSegment segment;
            segment.seek = 5;
            segmentDiscoveryCallback({segment});
        }
        --running_;
        return std::make_shared<TranscriptionResult>(std::to_string(static_cast<int>(audioArray[0])),
                                                     std::vector<TranscriptionSegment>{}, "en", TranscriptionTimings{});
    }

private:
    std::atomic<int>& running_;
    std::atomic<int>& peak_;
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
        return std::make_unique<EchoTask>(running, peak);
    }

    int loads = 0;
    std::atomic<int> running{0};
    std::atomic<int> peak{0};

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
    EXPECT_LE(pipeline->peak.load(), 16);
}

TEST_F(HushframeTranscribeTests, WorkerCountsBelowOneStillTranscribeEveryArrayOneAtATime) {
    for (const int count : {0, -3}) {
        SCOPED_TRACE(count);
        const std::vector<std::optional<DecodingOptions>> options(5, workers(count));
        const auto outcomes = pipeline->transcribeWithOptions(arrays(5), options, std::nullopt);
        ASSERT_EQ(outcomes.size(), 5u);
        for (int i = 0; i < 5; ++i) EXPECT_EQ(textOf(outcomes[i]), std::to_string(i));
        EXPECT_EQ(pipeline->peak.load(), 1);
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

} // namespace
} // namespace hushframe
