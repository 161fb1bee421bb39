#include "Platform/CoreML/MLDictionaryFeatureProvider.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/EncoderCacheManager.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/StreamingAsrUtils.hpp"
#include "RazeziRuzer/Shared/AudioConverterError.hpp"
#include "tests/RazeziRuzer/ASR/Parakeet/Streaming/StreamingAudio.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

namespace razeziruzer {
namespace {

using platform::coreml::MLDictionaryFeatureProvider;
using platform::coreml::MLFeatureValue;
using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;

TEST(EncoderCacheManagerTests, InitialCachesAreZeroOfTheirShapesAndTypes) {
    const auto caches = EncoderCacheManager::createInitialCaches({{17, 1, 70, 512}, {17, 1, 512, 8}, {1}});
    EXPECT_EQ(caches.channel.shape(), (std::vector<std::int64_t>{17, 1, 70, 512}));
    EXPECT_EQ(caches.channel.dataType(), MLMultiArrayDataType::float32);
    EXPECT_EQ(caches.time.shape(), (std::vector<std::int64_t>{17, 1, 512, 8}));
    EXPECT_EQ(caches.len.dataType(), MLMultiArrayDataType::int32);
    EXPECT_EQ(caches.len.count(), 1);
    EXPECT_EQ(caches.len[0].int32Value(), 0);
    EXPECT_EQ(caches.time[caches.time.count() - 1].doubleValue(), 0.0);
    const auto halves = EncoderCacheManager::createZeroArray({2, 3}, MLMultiArrayDataType::float16);
    EXPECT_EQ(halves[5].doubleValue(), 0.0);
}

TEST(EncoderCacheManagerTests, ExtractionReportsWhatTheOutputLacks) {
    const MLMultiArray channel({1}, MLMultiArrayDataType::float32, 2.0);
    const MLMultiArray len({1}, MLMultiArrayDataType::int32, 3.0);
    const MLDictionaryFeatureProvider output({{"c", MLFeatureValue(channel)},
                                              {"t", MLFeatureValue(std::int64_t{4})},
                                              {"l", MLFeatureValue(len)}});
    const auto extracted = EncoderCacheManager::extractCachesFromOutput(output, "c", "t", "l");
    ASSERT_TRUE(extracted.channel);
    EXPECT_EQ((*extracted.channel)[0].doubleValue(), 2.0);
    EXPECT_FALSE(extracted.time);
    ASSERT_TRUE(extracted.len);
    EXPECT_FALSE(EncoderCacheManager::extractCachesFromOutput(output, "x", "t", "l").channel);
}

TEST(StreamingAsrUtilsTests, RemainingAudioIsDecodedWholeWithThePaddedTail) {
    struct Case {
        const char* name;
        std::size_t samples;
        std::vector<std::size_t> realPerChunk;  // real samples each call received
    };
    const Case cases[] = {
        {"empty buffer", 0, {}},
        {"short tail", 100, {100}},
        {"one chunk and a bit", 3000, {2560, 440}},
        {"exactly two chunks", 5120, {2560, 2560}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<float> buffer(c.samples, 1.0f);
        std::vector<std::size_t> real;
        const bool ran = StreamingAsrUtils::processRemainingAudio(buffer, 2560, [&](std::span<const float> chunk) {
            ASSERT_EQ(chunk.size(), 2560u);
            real.push_back(static_cast<std::size_t>(std::count(chunk.begin(), chunk.end(), 1.0f)));
            EXPECT_TRUE(std::all_of(chunk.begin() + static_cast<std::ptrdiff_t>(real.back()), chunk.end(),
                                    [](float s) { return s == 0.0f; }));
        });
        EXPECT_EQ(ran, c.samples > 0);
        EXPECT_EQ(real, c.realPerChunk);
        EXPECT_TRUE(buffer.empty());
    }
}

TEST(StreamingAsrUtilsTests, AFailedChunkStaysInTheBuffer) {
    std::vector<float> buffer(3000, 1.0f);
    int calls = 0;
    EXPECT_THROW(StreamingAsrUtils::processRemainingAudio(buffer, 2560,
                                                          [&](std::span<const float>) {
                                                              if (++calls == 2) throw std::runtime_error("chunk");
                                                          }),
                 std::runtime_error);
    EXPECT_EQ(buffer.size(), 2560u);  // the padded tail
    EXPECT_THROW(StreamingAsrUtils::processRemainingAudio(buffer, 0, [](std::span<const float>) {}),
                 std::invalid_argument);
}

TEST(StreamingAsrUtilsTests, AppendResetAndDecode) {
    const AudioConverter converter(16000.0);
    std::vector<float> buffer{9.0f};
    const std::vector<float> samples{0.5f, -0.5f};
    StreamingAsrUtils::appendAudio(streamingtest::pcmBuffer(samples), converter, buffer);
    EXPECT_EQ(buffer, (std::vector<float>{9.0f, 0.5f, -0.5f}));
    std::vector<std::int64_t> ids{1, 2};
    int chunks = 4;
    StreamingAsrUtils::resetSharedState(buffer, ids, chunks);
    EXPECT_TRUE(buffer.empty());
    EXPECT_TRUE(ids.empty());
    EXPECT_EQ(chunks, 0);
    testsupport::TemporaryDirectory folder;
    const Tokenizer tokenizer(folder.write("vocab.json", R"({"1": "▁a", "2": "b"})"));
    EXPECT_EQ(StreamingAsrUtils::decodeTokens({1, 2, 1}, tokenizer), "ab a");
}

} // namespace
} // namespace razeziruzer
