#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NemotronChunkSize.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NemotronStreamingConfig.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace razeziruzer {
namespace {

TEST(NemotronChunkSizeTests, SizesNameTheirRepositoriesAndFolders) {
    struct Case {
        const char* name;
        int raw;
        NemotronChunkSize size;
        Repo repository;
        const char* folder;
        const char* subdirectory;
    };
    const Case cases[] = {
        {"2240", 2240, NemotronChunkSize::ms2240, Repo::nemotronStreaming2240, "nemotron-streaming/2240ms", "nemotron_coreml_2240ms"},
        {"1120", 1120, NemotronChunkSize::ms1120, Repo::nemotronStreaming1120, "nemotron-streaming/1120ms", "nemotron_coreml_1120ms"},
        {"560", 560, NemotronChunkSize::ms560, Repo::nemotronStreaming560, "nemotron-streaming/560ms", "nemotron_coreml_560ms"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(nemotronChunkSize(c.raw), c.size);
        EXPECT_EQ(rawValue(c.size), c.raw);
        EXPECT_EQ(repo(c.size), c.repository);
        EXPECT_EQ(folderName(repo(c.size)), c.folder);
        EXPECT_EQ(subdirectory(c.size), c.subdirectory);
    }
    EXPECT_EQ(nemotronChunkSize(1000), std::nullopt);
    EXPECT_EQ(nemotronChunkSize(0), std::nullopt);
    EXPECT_EQ(allNemotronChunkSizes.front(), NemotronChunkSize::ms2240);
    EXPECT_EQ(allNemotronChunkSizes.back(), NemotronChunkSize::ms560);
}

TEST(NemotronStreamingConfigTests, BuiltInSetIsThe2240msModel) {
    const NemotronStreamingConfig config;
    EXPECT_EQ(config.chunkMelFrames, 224);
    EXPECT_EQ(config.chunkMs, 2240);
    EXPECT_EQ(config.totalMelFrames, 233);
    EXPECT_EQ(config.chunkSamples(), 35840);
    EXPECT_EQ(config.blankIdx, 1024);
    EXPECT_EQ(config.cacheChannelShape, (std::vector<std::int64_t>{1, 24, 70, 1024}));
    EXPECT_EQ(config.cacheTimeShape, (std::vector<std::int64_t>{1, 24, 1024, 8}));
}

class MetadataTests : public ::testing::Test {
protected:
    NemotronStreamingConfig read(const std::string& json) { return NemotronStreamingConfig::from(folder.write("metadata.json", json)); }
    testsupport::TemporaryDirectory folder;
};

TEST_F(MetadataTests, EmptyObjectGivesThe1120msFallback) {
    const auto config = read("{}");
    const std::vector<std::int64_t> scalars{config.sampleRate, config.melFeatures, config.chunkMelFrames,
                                            config.chunkMs, config.preEncodeCache, config.totalMelFrames,
                                            config.vocabSize, config.blankIdx, config.encoderDim,
                                            config.decoderHidden, config.decoderLayers};
    EXPECT_EQ(scalars, (std::vector<std::int64_t>{16000, 128, 112, 1120, 9, 121, 1024, 1024, 1024, 640, 2}));
    EXPECT_EQ(config.cacheChannelShape, (std::vector<std::int64_t>{1, 24, 70, 1024}));
    EXPECT_EQ(config.cacheTimeShape, (std::vector<std::int64_t>{1, 24, 1024, 8}));
}

TEST_F(MetadataTests, EveryKeyIsReadIndependently) {
    const auto config = read(R"({"sample_rate": 8000, "mel_features": 80, "chunk_mel_frames": 56, "chunk_ms": 560,
        "pre_encode_cache": 7, "total_mel_frames": 63, "vocab_size": 512, "blank_idx": 512, "encoder_dim": 256,
        "decoder_hidden": 320, "decoder_layers": 1, "cache_channel_shape": [1, 2, 3, 4],
        "cache_time_shape": [5, 6], "unknown": true})");
    EXPECT_EQ(config.sampleRate, 8000);
    EXPECT_EQ(config.melFeatures, 80);
    EXPECT_EQ(config.chunkMelFrames, 56);
    EXPECT_EQ(config.chunkMs, 560);
    EXPECT_EQ(config.preEncodeCache, 7);
    EXPECT_EQ(config.totalMelFrames, 63);
    EXPECT_EQ(config.vocabSize, 512);
    EXPECT_EQ(config.blankIdx, 512);
    EXPECT_EQ(config.encoderDim, 256);
    EXPECT_EQ(config.decoderHidden, 320);
    EXPECT_EQ(config.decoderLayers, 1);
    EXPECT_EQ(config.cacheChannelShape, (std::vector<std::int64_t>{1, 2, 3, 4}));
    EXPECT_EQ(config.cacheTimeShape, (std::vector<std::int64_t>{5, 6}));
}

TEST_F(MetadataTests, ValuesOfTheWrongTypeKeepTheirFallback) {
    struct Case {
        const char* name;
        const char* json;
        std::int64_t chunkMs;
        std::int64_t chunkMelFrames;
        std::int64_t totalMelFrames;
        std::vector<std::int64_t> channelShape;
    };
    const std::vector<std::int64_t> fallbackShape{1, 24, 70, 1024};
    const Case cases[] = {
        {"string", R"({"chunk_ms": "2240"})", 1120, 112, 121, fallbackShape},
        {"fraction", R"({"chunk_ms": 2240.5})", 1120, 112, 121, fallbackShape},
        {"object", R"({"chunk_ms": {"value": 2240}})", 1120, 112, 121, fallbackShape},
        {"frames alone are not derived", R"({"chunk_mel_frames": 100})", 1120, 100, 121, fallbackShape},
        {"shape with a fraction", R"({"cache_channel_shape": [1, 2.5]})", 1120, 112, 121, fallbackShape},
        {"shape that is a number", R"({"cache_channel_shape": 4})", 1120, 112, 121, fallbackShape},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto config = read(c.json);
        EXPECT_EQ(config.chunkMs, c.chunkMs);
        EXPECT_EQ(config.chunkMelFrames, c.chunkMelFrames);
        EXPECT_EQ(config.totalMelFrames, c.totalMelFrames);
        EXPECT_EQ(config.cacheChannelShape, c.channelShape);
    }
}

TEST_F(MetadataTests, BadFilesFail) {
    try {
        read("[1, 2]");
        FAIL() << "an array top level was accepted";
    } catch (const ASRError& error) {
        EXPECT_EQ(error.kind(), ASRErrorKind::processingFailed);
        EXPECT_EQ(error.message(), "Invalid metadata.json format");
    }
    EXPECT_THROW(read("{not json"), nlohmann::json::parse_error);
    EXPECT_THROW(NemotronStreamingConfig::from(folder / "missing.json"), std::filesystem::filesystem_error);
}

} // namespace
} // namespace razeziruzer
