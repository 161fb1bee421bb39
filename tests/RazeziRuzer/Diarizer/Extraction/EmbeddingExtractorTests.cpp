#include "RazeziRuzer/Diarizer/Extraction/EmbeddingExtractor.hpp"

#include "tests/RazeziRuzer/Diarizer/ScriptedDiarizer/ScriptedDiarizer.hpp"

#include <gtest/gtest.h>

namespace razeziruzer {
namespace {

using diarizertest::ScriptedDiarizer;

std::vector<float> ramp(std::size_t count) {
    std::vector<float> values(count);
    for (std::size_t i = 0; i < count; ++i) values[i] = static_cast<float>(i);
    return values;
}

TEST(EmbeddingExtractorTests, ShortAudioAndMasksAreRepeated) {
    ScriptedDiarizer scripted;
    EmbeddingExtractor extractor(scripted.embeddingModel());
    const auto audio = ramp(40000);
    const auto mask = ramp(589);
    const auto embeddings = extractor.getEmbeddings(audio, {mask}, 0.0f);
    ASSERT_EQ(embeddings.size(), 1u);
    EXPECT_EQ(embeddings[0].size(), 256u);
    const auto& waveform = *scripted.lastWaveform;
    EXPECT_EQ(waveform[40000], 0.0f);
    EXPECT_EQ(waveform[159999], 39999.0f);
    // V = (40000 * 589 + 80000) / 160000 = 147 frames covered, then repeated.
    const auto& seen = *scripted.lastMask;
    EXPECT_EQ(seen[146], 146.0f);
    EXPECT_EQ(seen[147], 0.0f);
    EXPECT_EQ(seen[588], seen[588 - 147 * 4]);
}

TEST(EmbeddingExtractorTests, WeakMasksGetZerosWithoutAModelRun) {
    ScriptedDiarizer scripted;
    EmbeddingExtractor extractor(scripted.embeddingModel());
    const auto audio = diarizertest::codedAudio(std::vector<int>(589, 3));
    std::vector<float> strong(589, 0.0f), weak(589, 0.0f), exact(589, 0.0f);
    for (int i = 0; i < 20; ++i) strong[static_cast<std::size_t>(i)] = 1.0f;
    for (int i = 0; i < 19; ++i) weak[static_cast<std::size_t>(i)] = 0.5f;  // 9.5
    for (int i = 0; i < 10; ++i) exact[static_cast<std::size_t>(i)] = 1.0f;
    const auto embeddings = extractor.getEmbeddings(audio, {strong, weak, exact}, 10.0f);
    ASSERT_EQ(embeddings.size(), 3u);
    EXPECT_FLOAT_EQ(embeddings[0][3], 0.98f);
    EXPECT_EQ(embeddings[1], std::vector<float>(256, 0.0f));
    EXPECT_FLOAT_EQ(embeddings[2][3], 0.98f);
    EXPECT_EQ(scripted.embeddingCalls->load(), 2);
    EXPECT_TRUE(extractor.getEmbeddings(audio, {}, 10.0f).empty());
    EXPECT_EQ(scripted.embeddingCalls->load(), 2);
}

TEST(EmbeddingExtractorTests, EmptyAudioRunsWithAZeroMask) {
    ScriptedDiarizer scripted;
    EmbeddingExtractor extractor(scripted.embeddingModel());
    const auto embeddings = extractor.getEmbeddings(std::vector<float>{}, {std::vector<float>(589, 1.0f)}, 10.0f);
    EXPECT_EQ(embeddings[0], std::vector<float>(256, 0.0f));
    EXPECT_EQ(*scripted.lastMask, std::vector<float>(589, 0.0f));
    EXPECT_EQ(*scripted.lastWaveform, std::vector<float>(160000, 0.0f));
}

} // namespace
} // namespace razeziruzer
