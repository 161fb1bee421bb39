#include "RazeziRuzer/ASR/Parakeet/ASRConfig.hpp"
#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/ASR/Parakeet/ASRResult.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrModelVersion.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrModelsError.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>

namespace razeziruzer {
namespace {

ASRConfig withConcurrency(std::int64_t workers) {
    return ASRConfig(16000, TdtConfig::default_(), 1024, workers, true, 480000, true, false);
}

TEST(ASRConfigTests, KeepsAtLeastOneWorker) {
    for (const auto& [given, stored] : std::vector<std::pair<int, int>>{{0, 1}, {1, 1}, {-3, 1}, {6, 6}}) {
        EXPECT_EQ(withConcurrency(given).parallelChunkConcurrency(), stored) << given;
    }
}

TEST(ASRConfigTests, DefaultHoldsTheShippedSettings) {
    const auto& config = ASRConfig::default_();
    EXPECT_EQ(config.sampleRate(), 16000);
    EXPECT_EQ(config.tdtConfig(), TdtConfig::default_());
    EXPECT_EQ(config.encoderHiddenSize(), 1024);
    EXPECT_EQ(config.parallelChunkConcurrency(), 4);
    EXPECT_TRUE(config.streamingEnabled());
    EXPECT_EQ(config.streamingThreshold(), 480000);
    EXPECT_TRUE(config.melChunkContext());
    EXPECT_FALSE(config.dualDecodeArbitration());
    EXPECT_EQ(&ASRConfig::default_(), &config);
}

ASRResult sampleResult() {
    ASRResult result;
    result.text = "hello";
    result.confidence = 0.75f;
    result.duration = 10;
    result.processingTime = 0.5;
    result.tokenTimings = std::vector<TokenTiming>{{" hello", 12, 0.08, 0.4, 0.9f}};
    result.ctcDetectedTerms = std::vector<std::string>{"x"};
    result.ctcAppliedTerms = std::vector<std::string>{"y"};
    return result;
}

TEST(ASRResultTests, RealTimeFactorIsUnguarded) {
    auto result = sampleResult();
    EXPECT_FLOAT_EQ(result.rtfx(), 20.0f);
    result.processingTime = 0;
    EXPECT_EQ(result.rtfx(), std::numeric_limits<float>::infinity());
    result.duration = 0;
    EXPECT_TRUE(std::isnan(result.rtfx()));
}

TEST(ASRResultTests, RescoringReplacesTextAndTermsOnly) {
    const auto original = sampleResult();
    const auto rescored = original.withRescoring("hi", std::nullopt, std::nullopt);
    EXPECT_EQ(rescored.text, "hi");
    EXPECT_FALSE(rescored.ctcDetectedTerms);
    EXPECT_FALSE(rescored.ctcAppliedTerms);
    EXPECT_EQ(rescored.tokenTimings, original.tokenTimings);
    EXPECT_EQ(rescored.confidence, original.confidence);
    EXPECT_EQ(original.text, "hello");
}

TEST(ASRResultTests, SerialisesOptionalFieldsOnlyWhenPresent) {
    ASRResult bare;
    bare.text = "a";
    bare.confidence = 0.5f;
    bare.duration = 1.5;
    bare.processingTime = 0.25;
    const nlohmann::ordered_json json = bare;
    EXPECT_EQ(json.size(), 4u);
    EXPECT_EQ(json.get<ASRResult>(), bare);

    const auto full = sampleResult();
    EXPECT_EQ(nlohmann::ordered_json(full).get<ASRResult>(), full);
    EXPECT_EQ(nlohmann::ordered_json(full)["tokenTimings"][0]["tokenId"], 12);
}

TEST(ASRResultTests, KeysAreWrittenInFieldOrder) {
    auto full = sampleResult();
    full.performanceMetrics = ASRPerformanceMetrics{0.1, 0.2, 0.3, 0.6, 16.0f, 120.0f, 40.0f};
    // The whole record, nested records included, as one text: the keys appear in field order.
    EXPECT_EQ(nlohmann::ordered_json(full).dump(),
              R"({"text":"hello","confidence":0.75,"duration":10.0,"processingTime":0.5,)"
              R"("tokenTimings":[{"token":" hello","tokenId":12,"startTime":0.08,"endTime":0.4,)"
              R"("confidence":0.8999999761581421}],)"
              R"("performanceMetrics":{"preprocessorTime":0.1,"encoderTime":0.2,"decoderTime":0.3,)"
              R"("totalProcessingTime":0.6,"rtfx":16.0,"peakMemoryMB":120.0,"gpuUtilization":40.0},)"
              R"("ctcDetectedTerms":["x"],"ctcAppliedTerms":["y"]})");
}

TEST(ASRResultTests, ReadingNeedsTheScalarKeysAndToleratesNullTimings) {
    auto json = nlohmann::ordered_json(sampleResult());
    json["tokenTimings"] = nullptr;
    json["unknown"] = 3;
    EXPECT_FALSE(json.get<ASRResult>().tokenTimings);
    json.erase("processingTime");
    EXPECT_THROW(json.get<ASRResult>(), nlohmann::ordered_json::exception);
    auto timing = nlohmann::ordered_json(sampleResult())["tokenTimings"][0];
    timing["tokenId"] = "twelve";
    EXPECT_THROW(timing.get<TokenTiming>(), nlohmann::ordered_json::exception);
}

TEST(ASRErrorTests, DescriptionsAreTheSystemsTexts) {
    const auto underlying = std::make_exception_ptr(platform::Error("No such file"));
    EXPECT_EQ(ASRError::fileAccessFailed("/tmp/a.wav", underlying).description(),
              "Failed to access audio file at /tmp/a.wav: No such file");
    EXPECT_EQ(ASRError::processingFailed("Invalid encoder output").description(),
              "ASR processing failed: Invalid encoder output");
    EXPECT_EQ(ASRError::unsupportedPlatform("x y").description(), "x y");
    EXPECT_EQ(ASRError::streamingConversionFailed(underlying).description(),
              "Streaming audio conversion failed: No such file");
    EXPECT_EQ(ASRError::notInitialized().description(), "AsrManager not initialized. Call initialize() first.");
    EXPECT_EQ(ASRError::invalidAudioData().description(),
              "Invalid audio data provided. Must be at least 300ms of 16kHz audio.");
    EXPECT_EQ(ASRError::modelLoadFailed().description(), "Failed to load Parakeet CoreML models.");
    EXPECT_EQ(ASRError::modelCompilationFailed().description(),
              "CoreML model compilation failed after recovery attempts.");
    EXPECT_EQ(ASRError::fileAccessFailed("/tmp/a.wav", underlying).underlyingError(), underlying);
}

TEST(AsrModelVersionTests, PerVersionConstants) {
    struct Row {
        AsrModelVersion version;
        int blank, layers, width;
        bool fused;
        Repo repo;
    };
    for (const auto& row : {Row{AsrModelVersion::v2, 1024, 2, 1024, false, Repo::parakeetV2},
                            Row{AsrModelVersion::v3, 8192, 2, 1024, false, Repo::parakeetV3},
                            Row{AsrModelVersion::tdtCtc110m, 1024, 1, 512, true, Repo::parakeetTdtCtc110m},
                            Row{AsrModelVersion::tdtJa, 3072, 2, 1024, false, Repo::parakeetJa}}) {
        EXPECT_EQ(blankId(row.version), row.blank);
        EXPECT_EQ(decoderLayers(row.version), row.layers);
        EXPECT_EQ(encoderHiddenSize(row.version), row.width);
        EXPECT_EQ(hasFusedEncoder(row.version), row.fused);
        EXPECT_EQ(repository(row.version), row.repo);
    }
}

TEST(AsrModelsErrorTests, Descriptions) {
    EXPECT_EQ(AsrModelsError::modelNotFound("parakeet_vocab.json", "/tmp/m/parakeet_vocab.json").description(),
              "ASR model 'parakeet_vocab.json' not found at: /tmp/m/parakeet_vocab.json");
    EXPECT_EQ(AsrModelsError::modelCompilationFailed("x").description(),
              "Failed to compile ASR models: x. Try deleting the models and re-downloading.");
    EXPECT_EQ(AsrModelsError::downloadFailed("d").description(), "Failed to download ASR models: d");
    EXPECT_EQ(AsrModelsError::loadingFailed("l").description(), "Failed to load ASR models: l");
}

} // namespace
} // namespace razeziruzer
