#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/EOU/StreamingEouAsrManager.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/StreamingNemotronAsrManager.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/StreamingModelVariant.hpp"
#include "RazeziRuzer/ASR/Parakeet/Unified/StreamingUnifiedAsrManager.hpp"
#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedAsrManager.hpp"

#include <gtest/gtest.h>

namespace razeziruzer {
namespace {

using platform::coreml::MLComputeUnits;
using platform::coreml::MLModelConfiguration;

TEST(StreamingModelVariantTests, TableOfVariants) {
    struct Case {
        StreamingModelVariant variant;
        const char* raw;
        const char* displayName;
        Repo repository;
        StreamingEngineFamily family;
        std::optional<StreamingChunkSize> eou;
        std::optional<NemotronChunkSize> nemotron;
    };
    using V = StreamingModelVariant;
    using F = StreamingEngineFamily;
    const Case cases[] = {
        {V::parakeetEou160ms, "parakeet-eou-160ms", "Parakeet EOU 120M (160ms)", Repo::parakeetEou160, F::parakeetEou, StreamingChunkSize::ms160, std::nullopt},
        {V::parakeetEou320ms, "parakeet-eou-320ms", "Parakeet EOU 120M (320ms)", Repo::parakeetEou320, F::parakeetEou, StreamingChunkSize::ms320, std::nullopt},
        {V::parakeetEou1280ms, "parakeet-eou-1280ms", "Parakeet EOU 120M (1280ms)", Repo::parakeetEou1280, F::parakeetEou, StreamingChunkSize::ms1280, std::nullopt},
        {V::nemotron2240ms, "nemotron-2240ms", "Nemotron 0.6B (2240ms)", Repo::nemotronStreaming2240, F::nemotron, std::nullopt, NemotronChunkSize::ms2240},
        {V::nemotron1120ms, "nemotron-1120ms", "Nemotron 0.6B (1120ms)", Repo::nemotronStreaming1120, F::nemotron, std::nullopt, NemotronChunkSize::ms1120},
        {V::nemotron560ms, "nemotron-560ms", "Nemotron 0.6B (560ms)", Repo::nemotronStreaming560, F::nemotron, std::nullopt, NemotronChunkSize::ms560},
        {V::parakeetUnified2080ms, "parakeet-unified-2080ms", "Parakeet Unified 0.6B (2080ms)", Repo::parakeetUnified, F::parakeetUnified, std::nullopt, std::nullopt},
        {V::parakeetUnifiedOffline15s, "parakeet-unified-offline-15s", "Parakeet Unified 0.6B (offline 15s batch)", Repo::parakeetUnified, F::parakeetUnified, std::nullopt, std::nullopt},
    };
    ASSERT_EQ(allCases<StreamingModelVariant>().size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(c.raw);
        EXPECT_EQ(allCases<StreamingModelVariant>()[i], c.variant);
        EXPECT_EQ(rawValue(c.variant), c.raw);
        EXPECT_EQ(fromRawValue<StreamingModelVariant>(c.raw), c.variant);
        EXPECT_EQ(displayName(c.variant), c.displayName);
        EXPECT_EQ(repo(c.variant), c.repository);
        EXPECT_EQ(engineFamily(c.variant), c.family);
        EXPECT_EQ(eouChunkSize(c.variant), c.eou);
        EXPECT_EQ(nemotronChunkSize(c.variant), c.nemotron);
    }
    EXPECT_EQ(fromRawValue<StreamingModelVariant>("Nemotron-560ms"), std::nullopt);
    EXPECT_EQ(fromRawValue<StreamingModelVariant>("nemotron-560"), std::nullopt);
    EXPECT_EQ(fromRawValue<StreamingModelVariant>(" nemotron-560ms"), std::nullopt);
    EXPECT_EQ(fromRawValue<StreamingEngineFamily>("parakeet-unified"), StreamingEngineFamily::parakeetUnified);
    EXPECT_EQ(rawValue(StreamingEngineFamily::parakeetEou), "parakeet-eou");
    EXPECT_EQ(fromRawValue<StreamingEngineFamily>("Nemotron"), std::nullopt);
}

TEST(StreamingModelVariantTests, FactoryMakesEachFamilysRecogniser) {
    const auto eou = createManager(StreamingModelVariant::parakeetEou320ms);
    const auto* eouManager = dynamic_cast<const StreamingEouAsrManager*>(eou.get());
    ASSERT_NE(eouManager, nullptr);
    EXPECT_EQ(eouManager->chunkSize(), StreamingChunkSize::ms320);
    EXPECT_EQ(eouManager->eouDebounceMs(), 1280);
    EXPECT_FALSE(eouManager->debugFeatures());
    EXPECT_EQ(eou->displayName(), "Parakeet EOU 120M (630ms)");
    EXPECT_EQ(eouManager->configuration(), MLModelConfiguration{});

    // The factory always hands over a configuration: the platform's defaults,
    // not the recogniser's own neural-engine default.
    const auto nemotron = createManager(StreamingModelVariant::nemotron560ms);
    const auto* nemotronManager = dynamic_cast<const StreamingNemotronAsrManager*>(nemotron.get());
    ASSERT_NE(nemotronManager, nullptr);
    EXPECT_EQ(nemotronManager->mlConfiguration(), MLModelConfiguration{});
    EXPECT_EQ(nemotron->displayName(), "Nemotron 0.6B (2240ms)");

    MLModelConfiguration cpu;
    cpu.computeUnits = MLComputeUnits::cpuOnly;
    const auto given = createManager(StreamingModelVariant::nemotron2240ms, cpu);
    EXPECT_EQ(dynamic_cast<const StreamingNemotronAsrManager&>(*given).mlConfiguration(), cpu);
}

class RecordingUnified final : public UnifiedRecognisers {
public:
    struct Made {
        bool offline;
        MLModelConfiguration configuration;
        UnifiedConfig config;
        UnifiedEncoderPrecision precision;
    };
    mutable std::vector<Made> made;

    std::unique_ptr<StreamingAsrManager> makeStreaming(const MLModelConfiguration& configuration, const UnifiedConfig& config,
                                                       UnifiedEncoderPrecision precision) const override {
        made.push_back({false, configuration, config, precision});
        return standardUnifiedRecognisers().makeStreaming(configuration, config, precision);
    }
    std::unique_ptr<StreamingAsrManager> makeOffline(const MLModelConfiguration& configuration, const UnifiedConfig& config,
                                                     UnifiedEncoderPrecision precision) const override {
        made.push_back({true, configuration, config, precision});
        return standardUnifiedRecognisers().makeOffline(configuration, config, precision);
    }
};

TEST(StreamingModelVariantTests, UnifiedVariantsGoThroughTheUnifiedMaker) {
    const RecordingUnified unified;
    MLModelConfiguration gpu;
    gpu.computeUnits = MLComputeUnits::cpuAndGPU;
    createManager(StreamingModelVariant::parakeetUnified2080ms, gpu, unified);
    createManager(StreamingModelVariant::parakeetUnifiedOffline15s, std::nullopt, unified);
    ASSERT_EQ(unified.made.size(), 2u);
    EXPECT_FALSE(unified.made[0].offline);
    EXPECT_EQ(unified.made[0].configuration, gpu);
    EXPECT_TRUE(unified.made[1].offline);
    EXPECT_EQ(unified.made[1].configuration, MLModelConfiguration{});
    const UnifiedConfig expected{70, 13, 13, 16000, 1280, 128, 2, 640, 1024, 10};
    for (const auto& made : unified.made) {
        EXPECT_EQ(made.config, expected);
        EXPECT_EQ(made.precision, UnifiedEncoderPrecision::int8);
    }
}

TEST(StreamingModelVariantTests, TheUnifiedVariantsAreTheRealRecognisersUnloaded) {
    const auto streaming = createManager(StreamingModelVariant::parakeetUnified2080ms);
    const auto* real = dynamic_cast<const StreamingUnifiedAsrManager*>(streaming.get());
    ASSERT_NE(real, nullptr);
    EXPECT_EQ(real->mlConfiguration(), MLModelConfiguration{});
    EXPECT_EQ(real->config(), unifiedStreamingSettings());
    EXPECT_EQ(streaming->displayName(), "Parakeet Unified 0.6B (2080ms)");

    const auto offline = createManager(StreamingModelVariant::parakeetUnifiedOffline15s);
    ASSERT_NE(dynamic_cast<const UnifiedAsrManager*>(offline.get()), nullptr);
    EXPECT_EQ(offline->displayName(), "Parakeet Unified 0.6B (offline 15s batch)");
    try {
        offline->finish();
        FAIL() << "no error";
    } catch (const ASRError& error) {
        EXPECT_EQ(error.kind(), ASRErrorKind::notInitialized);
    }
}

} // namespace
} // namespace razeziruzer
