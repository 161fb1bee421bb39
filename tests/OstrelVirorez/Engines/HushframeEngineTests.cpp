#include "OstrelVirorez/Engines/HushframeEngine.hpp"

#include "Hushframe/Core/Hushframe.hpp"
#include "Hushframe/Core/Models/TranscriptionResult.hpp"
#include "Hushframe/Core/WhisperError.hpp"
#include "OstrelVirorez/Engines/EngineError.hpp"
#include "Platform/Concurrency/ManualClock.hpp"
#include "Platform/Core/Logger.hpp"
#include "tests/OstrelVirorez/Engines/EngineTestAudio.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <thread>

namespace ostrelvirorez {
namespace {

using enginetest::failureOf;
using enginetest::recording;
using hushframe::DecodingOptions;
using hushframe::HushframeConfig;
using platform::coreml::MLComputeUnits;

// What the fake pipelines of one test were given, and how they answer.
struct PipelineScript {
    std::mutex mutex;
    std::vector<std::string> events;
    std::vector<HushframeConfig> configs;
    std::vector<std::vector<float>> arrays;
    std::vector<DecodingOptions> options;
    // Texts and language of the records every transcription returns.
    std::vector<std::string> texts{" Hallo", "Welt "};
    std::string language = "de";
    std::exception_ptr loadFailure;
    std::exception_ptr transcribeFailure;
    bool holdFirstTranscription = false;
    std::promise<void> firstTranscriptionReached;
    std::promise<void> releaseFirstTranscription;
    std::atomic<int> running = 0;
    std::atomic<bool> overlapped = false;

    void add(std::string event) {
        const std::lock_guard lock(mutex);
        events.push_back(std::move(event));
    }
    std::vector<std::string> recorded() {
        const std::lock_guard lock(mutex);
        return events;
    }
};

// A pipeline that downloads and loads nothing; a transcription takes 2 s of
// the test's clock and returns the script's records.
class FakePipeline final : public hushframe::Hushframe {
public:
    FakePipeline(ConstructionKey key, const HushframeConfig& config, PipelineScript& script,
                 platform::ManualClock& clock, int id)
        : Hushframe(key, config), script_(script), clock_(clock), id_(std::to_string(id)) {}

    using Hushframe::transcribe;

    void setupModels(const std::optional<std::string>&, const std::optional<std::filesystem::path>&,
                     const std::optional<std::string>&, const std::optional<std::string>&,
                     const std::optional<std::string>&, bool, const std::string&, const std::string&) override {
        script_.add(id_ + " setup");
    }
    void prewarmModels() override { script_.add(id_ + " prewarm"); }
    void loadModels(bool) override { script_.add(id_ + " load"); }
    void unloadModels() override { script_.add(id_ + (script_.running > 0 ? " unload while transcribing" : " unload")); }

    hushframe::TranscriptionResults transcribe(const std::vector<float>& audioArray,
                                               const std::optional<DecodingOptions>& decodeOptions,
                                               const hushframe::TranscriptionCallback& callback,
                                               const hushframe::SegmentDiscoveryCallback& segmentCallback) override {
        if (script_.running++ > 0) script_.overlapped = true;
        {
            const std::lock_guard lock(script_.mutex);
            script_.events.push_back(id_ + " transcribe" + (callback || segmentCallback ? " with callbacks" : ""));
            script_.arrays.push_back(audioArray);
            script_.options.push_back(decodeOptions.value_or(DecodingOptions()));
        }
        if (script_.holdFirstTranscription && !held_.exchange(true)) {
            script_.firstTranscriptionReached.set_value();
            script_.releaseFirstTranscription.get_future().wait();
        }
        clock_.advance(std::chrono::seconds(2));
        --script_.running;
        if (script_.transcribeFailure) std::rethrow_exception(script_.transcribeFailure);
        hushframe::TranscriptionResults results;
        for (const auto& text : script_.texts) {
            results.push_back(std::make_shared<hushframe::TranscriptionResult>(
                text, std::vector<hushframe::TranscriptionSegment>{}, script_.language, hushframe::TranscriptionTimings{}));
        }
        return results;
    }

private:
    PipelineScript& script_;
    platform::ManualClock& clock_;
    std::string id_;
    std::atomic<bool> held_ = false;
};

bool throwsNotLoaded(const std::function<void()>& action) {
    try {
        action();
    } catch (const EngineError& error) {
        return error.kind() == EngineErrorKind::notLoaded;
    }
    return false;
}

class HushframeEngineTests : public ::testing::Test {
protected:
    HushframeEngine::PipelineFactory fakes() {
        return [this](const HushframeConfig& config) -> std::shared_ptr<hushframe::Hushframe> {
            {
                const std::lock_guard lock(script.mutex);
                script.configs.push_back(config);
            }
            if (script.loadFailure) std::rethrow_exception(script.loadFailure);
            return hushframe::Hushframe::create<FakePipeline>(config, script, clock, ++made);
        };
    }

    platform::ManualClock clock;
    PipelineScript script;
    int made = 0;
    HushframeEngine engine{fakes(), clock};
};

TEST_F(HushframeEngineTests, LoadsTranscribesAndUnloads) {
    const std::vector<float> samples{0.25f, -0.5f, 0.125f, 1.0f, 0.0f};
    const auto buffer = recording(samples);
    EXPECT_TRUE(throwsNotLoaded([&] { engine.transcribe(buffer, std::nullopt); }));

    platform::ScopedLogCapture log;
    engine.load();
    EXPECT_TRUE(engine.isLoaded());
    EXPECT_TRUE(log.contains("HushframeEngine: loaded large-v3-turbo"));
    // Built with the fixed configuration, which asks for prewarming.
    EXPECT_EQ(script.recorded(), (std::vector<std::string>{"1 setup", "1 prewarm"}));

    const auto result = engine.transcribe(buffer, "de");
    EXPECT_EQ(result, (TranscriptionResult{"Hallo Welt", "de", std::nullopt, 2.0, std::nullopt}));
    ASSERT_EQ(script.arrays.size(), 1u);
    EXPECT_EQ(script.arrays[0], samples);
    EXPECT_EQ(script.options[0], HushframeEngine::decodingOptions("de"));
    EXPECT_EQ(script.recorded().back(), "1 transcribe");
    // The pipeline's copy is taken without emptying the caller's recording.
    EXPECT_EQ(std::vector<float>(buffer.floatChannel(0).begin(), buffer.floatChannel(0).end()), samples);

    engine.unload();
    EXPECT_FALSE(engine.isLoaded());
    EXPECT_EQ(script.recorded().back(), "1 unload");
    EXPECT_TRUE(throwsNotLoaded([&] { engine.transcribe(buffer, std::nullopt); }));
}

TEST_F(HushframeEngineTests, RecordsAreJoinedAndTrimmed) {
    engine.load();
    struct Case {
        const char* name;
        std::vector<std::string> texts;
        std::string text;
        std::optional<std::string> language;
    };
    const Case cases[] = {
        {"two records with outer spaces", {" Hallo", "Welt "}, "Hallo Welt", "de"},
        {"line breaks at the ends", {"\n eins", "zwei\t\n"}, "eins zwei", "de"},
        {"inner spaces kept", {" a ", " b"}, "a   b", "de"},
        {"one record", {"nur"}, "nur", "de"},
        {"no records", {}, "", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        script.texts = c.texts;
        const auto result = engine.transcribe(recording({0.1f}), std::nullopt);
        EXPECT_EQ(result.text, c.text);
        EXPECT_EQ(result.language, c.language);
        EXPECT_EQ(result.confidence, std::nullopt);
        EXPECT_EQ(result.segments, std::nullopt);
    }
}

TEST_F(HushframeEngineTests, OptionsDifferOnlyInTheHintsLanguage) {
    engine.load();
    struct Case {
        const char* name;
        std::optional<std::string> hint;
        std::optional<std::string> language;
    };
    const Case cases[] = {
        {"German", "de", "de"}, {"not in the list", "xx", "xx"}, {"empty", "", std::nullopt}, {"none", std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        engine.transcribe(recording({0.1f}), c.hint);
        auto options = script.options.back();
        EXPECT_EQ(options.language, c.language);
        options.language = std::nullopt;
        EXPECT_EQ(options, HushframeEngine::decodingOptions(std::nullopt));
    }
}

TEST(HushframeEngineOptionsTests, FixedDecodingOptions) {
    const auto options = HushframeEngine::decodingOptions(std::nullopt);
    EXPECT_FALSE(options.verbose);
    EXPECT_EQ(options.task, hushframe::DecodingTask::transcribe);
    EXPECT_EQ(options.language, std::nullopt);
    EXPECT_EQ(options.temperature, 0.0F);
    EXPECT_EQ(options.temperatureIncrementOnFallback, 0.2F);
    EXPECT_EQ(options.temperatureFallbackCount, 5);
    EXPECT_EQ(options.sampleLength, 224);
    EXPECT_EQ(options.topK, 5);
    EXPECT_TRUE(options.usePrefillPrompt);
    EXPECT_FALSE(options.detectLanguage);
    EXPECT_FALSE(options.skipSpecialTokens);
    EXPECT_FALSE(options.withoutTimestamps);
    EXPECT_FALSE(options.wordTimestamps);
    EXPECT_EQ(options.maxInitialTimestamp, std::nullopt);
    EXPECT_EQ(options.maxWindowSeek, std::nullopt);
    EXPECT_TRUE(options.clipTimestamps.empty());
    EXPECT_EQ(options.windowClipTime, 1.0F);
    EXPECT_EQ(options.promptTokens, std::nullopt);
    EXPECT_EQ(options.prefixTokens, std::nullopt);
    EXPECT_FALSE(options.suppressBlank);
    EXPECT_TRUE(options.suppressTokens.empty());
    EXPECT_EQ(options.compressionRatioThreshold, 2.4F);
    EXPECT_EQ(options.logProbThreshold, -1.0F);
    EXPECT_EQ(options.firstTokenLogProbThreshold, -1.5F);
    EXPECT_EQ(options.noSpeechThreshold, 0.6F);
    EXPECT_EQ(options.concurrentWorkerCount, 16);
    EXPECT_EQ(options.chunkingStrategy, std::nullopt);
}

TEST_F(HushframeEngineTests, FixedConfigurationReachesThePipeline) {
    engine.load();
    ASSERT_EQ(script.configs.size(), 1u);
    const auto& config = script.configs[0];
    EXPECT_EQ(config.model, "large-v3_turbo");
    EXPECT_EQ(config.downloadBase, std::nullopt);
    EXPECT_EQ(config.modelRepo, std::nullopt);
    EXPECT_EQ(config.modelToken, std::nullopt);
    EXPECT_EQ(config.modelEndpoint, std::nullopt);
    EXPECT_EQ(config.modelFolder, std::nullopt);
    EXPECT_EQ(config.tokenizerFolder, std::nullopt);
    EXPECT_EQ(config.computeOptions, hushframe::ModelComputeOptions(MLComputeUnits::cpuAndGPU,
                                                                    MLComputeUnits::cpuAndNeuralEngine,
                                                                    MLComputeUnits::cpuAndNeuralEngine));
    EXPECT_EQ(config.audioInputConfig, nullptr);
    EXPECT_EQ(config.audioProcessor, nullptr);
    EXPECT_EQ(config.featureExtractor, nullptr);
    EXPECT_EQ(config.audioEncoder, nullptr);
    EXPECT_EQ(config.textDecoder, nullptr);
    EXPECT_FALSE(config.logitsFilters.has_value());
    EXPECT_EQ(config.segmentSeeker, nullptr);
    EXPECT_EQ(config.voiceActivityDetector, nullptr);
    EXPECT_TRUE(config.verbose);
    EXPECT_EQ(config.logLevel, pelluxcore::Logging::LogLevel::info);
    EXPECT_EQ(config.prewarm, true);
    EXPECT_EQ(config.load, std::nullopt);
    EXPECT_TRUE(config.download);
    EXPECT_FALSE(config.useBackgroundDownloadSession);
}

TEST_F(HushframeEngineTests, ErrorsPassUnchangedAndTheEngineStaysAsItWas) {
    script.loadFailure = std::make_exception_ptr(hushframe::WhisperError::transcriptionFailed("no model"));
    const auto packageText = failureOf([&] { std::rethrow_exception(script.loadFailure); });
    EXPECT_EQ(failureOf([&] { engine.load(); }), packageText);
    EXPECT_FALSE(engine.isLoaded());

    script.loadFailure = nullptr;
    engine.load();
    script.loadFailure = std::make_exception_ptr(std::runtime_error("offline"));
    EXPECT_EQ(failureOf([&] { engine.load(); }), "offline");
    EXPECT_TRUE(engine.isLoaded());

    script.transcribeFailure = std::make_exception_ptr(hushframe::WhisperError::transcriptionFailed("window"));
    EXPECT_THROW(engine.transcribe(recording({0.1f}), std::nullopt), hushframe::WhisperError);
    EXPECT_TRUE(engine.isLoaded());
    script.transcribeFailure = nullptr;
    engine.transcribe(recording({0.1f}), std::nullopt);
    // The pipeline of the first successful load is still in use.
    EXPECT_EQ(script.recorded().back(), "1 transcribe");
}

TEST_F(HushframeEngineTests, ReloadReleasesThePreviousPipeline) {
    engine.load();
    engine.load();
    engine.transcribe(recording({0.1f}), std::nullopt);
    EXPECT_EQ(script.recorded(), (std::vector<std::string>{"1 setup", "1 prewarm", "2 setup", "2 prewarm", "1 unload",
                                                            "2 transcribe"}));
}

// One pipeline runs one transcription at a time: the live preview and the
// final pass take turns.
TEST_F(HushframeEngineTests, OverlappingTranscriptionsTakeTurnsOnThePipeline) {
    script.holdFirstTranscription = true;
    engine.load();
    auto preview = std::async(std::launch::async, [&] { return engine.transcribe(recording({1.0f}), std::nullopt); });
    script.firstTranscriptionReached.get_future().wait();
    std::atomic<bool> finalStarted = false;
    auto finalPass = std::async(std::launch::async, [&] {
        finalStarted = true;
        return engine.transcribe(recording({2.0f, 2.0f}), "de");
    });
    while (!finalStarted) std::this_thread::yield();
    for (int i = 0; i < 20000 && !script.overlapped; ++i) std::this_thread::yield();
    script.releaseFirstTranscription.set_value();

    EXPECT_EQ(preview.get().text, "Hallo Welt");
    EXPECT_EQ(finalPass.get().text, "Hallo Welt");
    EXPECT_FALSE(script.overlapped);
    ASSERT_EQ(script.arrays.size(), 2u);
    EXPECT_EQ(script.arrays[1], (std::vector<float>{2.0f, 2.0f}));
}

TEST_F(HushframeEngineTests, UnloadWaitsForARunningTranscription) {
    script.holdFirstTranscription = true;
    engine.load();
    auto preview = std::async(std::launch::async, [&] { return engine.transcribe(recording({1.0f}), std::nullopt); });
    script.firstTranscriptionReached.get_future().wait();
    auto unloading = std::async(std::launch::async, [&] { engine.unload(); });
    for (int i = 0; i < 20000 && engine.isLoaded(); ++i) std::this_thread::yield();
    // The adapter reads as unloaded at once, before the models go.
    EXPECT_TRUE(throwsNotLoaded([&] { engine.transcribe(recording({0.1f}), std::nullopt); }));
    for (int i = 0; i < 20000; ++i) std::this_thread::yield();
    script.releaseFirstTranscription.set_value();
    EXPECT_EQ(preview.get().text, "Hallo Welt");
    unloading.get();
    const auto events = script.recorded();
    EXPECT_EQ(std::vector<std::string>(events.end() - 2, events.end()),
              (std::vector<std::string>{"1 transcribe", "1 unload"}));
}

TEST(HushframeEngineIdentityTests, NameLanguagesAndUnloadWithoutLoad) {
    HushframeEngine engine;
    EXPECT_EQ(engine.name(), "Hushframe (Large v3 Turbo)");
    EXPECT_EQ(engine.supportedLanguages(),
              (std::vector<std::string>{"de", "en", "fr", "es", "it", "pt", "ja", "zh", "ko", "ru"}));
    EXPECT_FALSE(engine.isLoaded());
    engine.unload();
    EXPECT_FALSE(engine.isLoaded());
}

} // namespace
} // namespace ostrelvirorez
