// The diarizer over model bundles written here and run by the platform's
// program interpreter: segmentation scores and embeddings checked against the
// same arithmetic done by hand, then a whole recording through the pipeline.
#include "RazeziRuzer/Diarizer/Core/DiarizerManager.hpp"

#include "tests/Support/ModelBundleWriter.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <random>

namespace razeziruzer {
namespace {

using platform::coreml::mil::DataType;
using testsupport::ModelBundleWriter;

const char* const header = testsupport::programHeader;
constexpr std::int64_t frames = 589;
constexpr std::int64_t frameSamples = 270;

std::vector<float> randomValues(std::size_t count, unsigned seed, float scale) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> value(-scale, scale);
    std::vector<float> values(count);
    for (auto& v : values) v = value(random);
    return values;
}

std::vector<float> leaning(std::vector<float> weights) {
    for (std::size_t k = 0; k < static_cast<std::size_t>(frameSamples); ++k) {
        weights[1 * frameSamples + k] += 0.01f / frameSamples;
        weights[2 * frameSamples + k] -= 0.01f / frameSamples;
    }
    return weights;
}

struct Bundles {
    // Small random weights plus a lean per class: positive audio favours class 1
    // (local speaker 0), negative audio class 2 (local speaker 1).
    std::vector<float> segmentationWeight = leaning(randomValues(7 * frameSamples, 11, 0.0001f));
    std::vector<float> embeddingWeight = randomValues(256 * frames, 12, 0.2f);
    std::filesystem::path segmentation;
    std::filesystem::path embedding;

    explicit Bundles(const std::filesystem::path& folder)
        : segmentation(folder / "pyannote_segmentation.mlmodelc"), embedding(folder / "wespeaker_v2.mlmodelc") {
        // Frame f scores its 270 samples with one weight row per class.
        ModelBundleWriter segmentationBundle;
        std::string body = "        " + segmentationBundle.blobConstant("w", DataType::fp32, {7, frameSamples}, segmentationWeight);
        body += "        " + testsupport::intsConstant("begin", std::vector<std::int64_t>{0, 0, 0});
        body += "        " + testsupport::intsConstant("size", std::vector<std::int64_t>{1, 1, frames * frameSamples});
        body += "        " + testsupport::intsConstant("framed", std::vector<std::int64_t>{1, frames, frameSamples});
        body += "        tensor<fp32, [1, 1, 159030]> head = slice_by_size(begin = begin, size = size, x = audio)[name = string(\"head\")];\n";
        body += "        tensor<fp32, [1, 589, 270]> windows = reshape(shape = framed, x = head)[name = string(\"windows\")];\n";
        body += "        tensor<fp32, [1, 589, 7]> segments = linear(weight = w, x = windows)[name = string(\"segments\")];\n";
        segmentationBundle.write(segmentation, std::string(header) + "    func main<ios18>(tensor<fp32, [1, 1, 160000]> audio) {\n" +
                                                   body + "    } -> (segments);\n}\n");
        // The embedding is a fixed projection of the mask rows.
        ModelBundleWriter embeddingBundle;
        body = "        " + embeddingBundle.blobConstant("w", DataType::fp32, {256, frames}, embeddingWeight);
        body += "        tensor<fp32, [3, 256]> embedding = linear(weight = w, x = mask)[name = string(\"embedding\")];\n";
        embeddingBundle.write(embedding, std::string(header) +
                                             "    func main<ios18>(tensor<fp32, [3, 160000]> waveform, tensor<fp32, [3, 589]> mask) {\n" +
                                             body + "    } -> (embedding);\n}\n");
    }
};

TEST(DiarizerBundleTests, SegmentationAndEmbeddingsMatchTheArithmetic) {
    testsupport::TemporaryDirectory folder;
    const Bundles bundles(folder.path());
    const auto models = DiarizerModels::load(bundles.segmentation, bundles.embedding);
    const auto audio = randomValues(160000, 13, 1.0f);

    SegmentationProcessor processor;
    const auto segments = processor.getSegments(audio, models.segmentationModel, 160000).segments.front();
    ASSERT_EQ(segments.size(), static_cast<std::size_t>(frames));
    std::vector<std::vector<float>> scores;
    for (std::int64_t f = 0; f < frames; ++f) {
        std::vector<float> row(7, 0.0f);
        for (std::size_t c = 0; c < 7; ++c) {
            for (std::int64_t k = 0; k < frameSamples; ++k) {
                row[c] += bundles.segmentationWeight[c * frameSamples + static_cast<std::size_t>(k)] *
                          audio[static_cast<std::size_t>(f * frameSamples + k)];
            }
        }
        scores.push_back(row);
    }
    EXPECT_EQ(segments, SegmentationProcessor::powersetConversion(scores));

    EmbeddingExtractor extractor(models.embeddingModel);
    std::vector<float> mask(frames, 0.0f);
    for (std::int64_t f = 0; f < frames; f += 3) mask[static_cast<std::size_t>(f)] = 1.0f;
    const auto embedding = extractor.getEmbeddings(audio, {mask}, 10.0f).front();
    for (std::size_t i = 0; i < 256; ++i) {
        float expected = 0;
        for (std::size_t f = 0; f < static_cast<std::size_t>(frames); ++f) expected += bundles.embeddingWeight[i * frames + f] * mask[f];
        EXPECT_NEAR(embedding[i], expected, 1e-3) << i;
    }
}

TEST(DiarizerBundleTests, ARecordingRunsThroughThePipeline) {
    testsupport::TemporaryDirectory folder;
    const Bundles bundles(folder.path());
    DiarizerConfig config;
    config.debugMode = true;
    DiarizerManager manager(config);
    manager.initialize(DiarizerModels::load(bundles.segmentation, bundles.embedding));
    // Stretches of constant amplitude keep one class per stretch, so speakers talk for seconds.
    std::vector<float> audio;
    for (const float level : {0.9f, -0.9f, 0.3f, -0.4f, 0.9f, 0.6f, -0.9f, 0.2f}) audio.insert(audio.end(), 3 * 16000, level);
    const auto result = manager.performCompleteDiarization(audio);
    ASSERT_TRUE(result.speakerDatabase.has_value());
    EXPECT_FALSE(result.segments.empty());
    for (const auto& segment : result.segments) {
        EXPECT_EQ(result.speakerDatabase->count(segment.speakerId), 1u) << segment.speakerId;
        EXPECT_GE(segment.durationSeconds(), config.minSpeechDuration);
        EXPECT_GE(segment.startTimeSeconds, 0.0f);
        EXPECT_LE(segment.endTimeSeconds, 30.0f);
    }
}

} // namespace
} // namespace razeziruzer
