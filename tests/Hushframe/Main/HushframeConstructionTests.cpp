#include "Hushframe/Core/Hushframe.hpp"
#include "Hushframe/Core/LogitsFiltering.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace hushframe {
namespace {

using pelluxcore::Logging;
using pelluxcore::ModelState;

class StoppingAudioProcessor : public AudioProcessing {
public:
    void stopRecording() override { ++stops; }
    int stops = 0;
};

class FixedTextDecoder : public TextDecoding {
public:
    std::optional<int> logitsSize() const override { return 51865; }
    std::optional<int> kvCacheEmbedDim() const override { return std::nullopt; }
    std::optional<int> kvCacheMaxSequenceLength() const override { return std::nullopt; }
    std::optional<int> windowSize() const override { return std::nullopt; }
    DecodingResult detectLanguage(const AudioEncoderOutputType&, DecodingInputsType&, TokenSampling&,
                                  const DecodingOptions&, float) override {
        return {};
    }
};

HushframeConfig offlineConfig() {
    HushframeConfig config;
    config.download = false;
    return config;
}

// Opens the state setter to tests.
class StateProbe : public Hushframe {
public:
    using Hushframe::Hushframe;
    using Hushframe::modifyCurrentTimings;
    using Hushframe::setModelState;
};

TEST(HushframeConstructionTests, ConfigurationChoosesComponentsAndFolders) {
    auto processor = std::make_shared<StoppingAudioProcessor>();
    auto decoder = std::make_shared<FixedTextDecoder>();
    auto config = offlineConfig();
    config.audioProcessor = processor;
    config.textDecoder = decoder;
    config.logitsFilters = std::vector<std::shared_ptr<LogitsFiltering>>{std::make_shared<LogitsFiltering>()};
    config.downloadBase = "/base";

    {
        const auto pipeline = Hushframe::create<StateProbe>(config);
        EXPECT_EQ(pipeline->audioProcessor(), processor);
        EXPECT_EQ(pipeline->textDecoder(), decoder);
        EXPECT_EQ(decoder->logitsFilters().size(), 1u);
        EXPECT_NE(pipeline->featureExtractor(), nullptr);
        EXPECT_NE(pipeline->audioEncoder(), nullptr);
        EXPECT_NE(pipeline->segmentSeeker(), nullptr);
        EXPECT_EQ(pipeline->voiceActivityDetector(), nullptr);
        EXPECT_EQ(pipeline->tokenizerFolder(), std::filesystem::path("/base"));
        EXPECT_EQ(pipeline->modelCompute(), ModelComputeOptions());
        EXPECT_EQ(pipeline->audioInputConfig(), AudioInputConfig{});
        EXPECT_EQ(pipeline->modelVariant(), ModelVariant::tiny);
        EXPECT_EQ(pipeline->modelState(), ModelState::unloaded);
        EXPECT_FALSE(pipeline->modelFolder());

        pipeline->modifyCurrentTimings([](TranscriptionTimings& t) { t.audioLoading = 3; });
        pipeline->clearState();
        EXPECT_EQ(pipeline->currentTimings(), TranscriptionTimings{});
        EXPECT_EQ(processor->stops, 1);
    }
    EXPECT_EQ(processor->stops, 2);

    config.downloadBase.reset();
    EXPECT_FALSE(Hushframe::create(config)->tokenizerFolder());
}

TEST(HushframeConstructionTests, EveryConstructionSetsThePackageLogLevel) {
    auto config = offlineConfig();
    config.verbose = true;
    config.logLevel = Logging::LogLevel::debug;
    const auto first = Hushframe::create(config);
    EXPECT_EQ(Logging::shared().logLevel(), Logging::LogLevel::debug);

    config.verbose = false;
    const auto second = Hushframe::create(config);
    EXPECT_EQ(Logging::shared().logLevel(), Logging::LogLevel::none);
}

TEST(HushframeConstructionTests, EveryStateWriteIsReportedEvenWithoutChange) {
    const auto pipeline = Hushframe::create<StateProbe>(offlineConfig());
    std::vector<std::pair<std::optional<ModelState>, ModelState>> seen;
    pipeline->setModelStateCallback([&](auto old, auto state) { seen.emplace_back(old, state); });

    pipeline->setModelState(ModelState::unloaded);

    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].first, ModelState::unloaded);
    EXPECT_EQ(seen[0].second, ModelState::unloaded);
}

} // namespace
} // namespace hushframe
