// The mel and encoder stages over small program bundles written here (the
// models' feature names, a small window, random weights), loaded from disk and
// run by the model runtime: sizes and outputs checked against the same
// arithmetic done by hand.

#include "Hushframe/Models/AudioEncoder.hpp"
#include "Hushframe/Models/FeatureExtractor.hpp"
#include "tests/Support/ModelBundleWriter.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <random>

namespace hushframe {
namespace {

namespace fs = std::filesystem;
using platform::coreml::MLComputeUnits;
using platform::coreml::MLMultiArray;
using platform::coreml::mil::DataType;
using testsupport::ModelBundleWriter;
using testsupport::operationLine;

// A window of 4 hops of 160 samples, 5 mel bands, 3-wide embeddings.
constexpr std::int64_t hops = 4;
constexpr std::int64_t hopSamples = 160;
constexpr std::int64_t bands = 5;
constexpr std::int64_t width = 3;

std::vector<float> randomValues(std::size_t count, unsigned seed, float scale) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> value(-scale, scale);
    std::vector<float> values(count);
    for (auto& v : values) v = value(random);
    return values;
}

std::string constant(const std::string& text) { return "        " + text; }

struct Bundles {
    std::vector<float> bandWeights = randomValues(bands * hopSamples, 1, 0.1f); // [bands, hopSamples]
    std::vector<float> embedWeights = randomValues(width * bands, 2, 0.5f);     // [width, bands]
    std::vector<float> embedBias = randomValues(width, 3, 0.5f);
    fs::path mel;
    fs::path encoder;

    explicit Bundles(const fs::path& folder) : mel(folder / "MelSpectrogram.mlmodelc"), encoder(folder / "AudioEncoder.mlmodelc") {
        // Each hop projected onto the bands: features[0, b, 0, t] = Σ w[b, k] · audio[t · 160 + k].
        ModelBundleWriter melBundle;
        std::string body = constant(testsupport::intsConstant("hop_shape", std::vector<std::int64_t>{hops, hopSamples}));
        body += constant(melBundle.blobConstant("bands_w", DataType::fp32, {bands, hopSamples}, bandWeights));
        body += constant(testsupport::intsConstant("swap", std::vector<std::int64_t>{1, 0}));
        body += constant(testsupport::intsConstant("feature_shape", std::vector<std::int64_t>{1, bands, 1, hops}));
        body += operationLine("tensor<fp32, [4, 160]> rows", "reshape(shape = hop_shape, x = audio)");
        body += operationLine("tensor<fp32, [4, 5]> hop_bands", "linear(weight = bands_w, x = rows)");
        body += operationLine("tensor<fp32, [5, 4]> band_rows", "transpose(perm = swap, x = hop_bands)");
        body += operationLine("tensor<fp32, [1, 5, 1, 4]> melspectrogram_features",
                              "reshape(shape = feature_shape, x = band_rows)");
        melBundle.write(mel, testsupport::mainProgram("tensor<fp32, [640]> audio", body, "melspectrogram_features"));

        // Each frame's bands projected: embeds[0, c, 0, t] = Σ v[c, b] · features[0, b, 0, t] + bias[c].
        ModelBundleWriter encoderBundle;
        body = constant(testsupport::intsConstant("band_shape", std::vector<std::int64_t>{bands, hops}));
        body += constant(encoderBundle.blobConstant("embed_w", DataType::fp32, {width, bands}, embedWeights));
        body += constant(encoderBundle.blobConstant("embed_b", DataType::fp32, {width}, embedBias));
        body += constant(testsupport::intsConstant("swap", std::vector<std::int64_t>{1, 0}));
        body += constant(testsupport::intsConstant("embed_shape", std::vector<std::int64_t>{1, width, 1, hops}));
        body += operationLine("tensor<fp32, [5, 4]> band_rows", "reshape(shape = band_shape, x = melspectrogram_features)");
        body += operationLine("tensor<fp32, [4, 5]> frames", "transpose(perm = swap, x = band_rows)");
        body += operationLine("tensor<fp32, [4, 3]> frame_embeds", "linear(bias = embed_b, weight = embed_w, x = frames)");
        body += operationLine("tensor<fp32, [3, 4]> embed_rows", "transpose(perm = swap, x = frame_embeds)");
        body += operationLine("tensor<fp32, [1, 3, 1, 4]> encoder_output_embeds",
                              "reshape(shape = embed_shape, x = embed_rows)");
        encoderBundle.write(encoder, testsupport::mainProgram("tensor<fp32, [1, 5, 1, 4]> melspectrogram_features",
                                                              body, "encoder_output_embeds"));
    }
};

TEST(ModelWrapperBundlesTests, BundlesRunFromSamplesToEmbeddings) {
    testsupport::TemporaryDirectory folder;
    const Bundles bundles(folder.path());
    FeatureExtractor mel;
    AudioEncoder encoder;
    mel.loadModel(bundles.mel, MLComputeUnits::cpuOnly, false);
    encoder.loadModel(bundles.encoder, MLComputeUnits::cpuOnly, false);

    EXPECT_EQ(mel.windowSamples(), hops * hopSamples);
    EXPECT_EQ(mel.melCount(), bands);
    EXPECT_EQ(encoder.embedSize(), width);
    EXPECT_EQ(encoder.sequenceLength(), hops);

    const auto samples = randomValues(hops * hopSamples, 4, 1.0f);
    MLMultiArray audio({hops * hopSamples}, platform::coreml::MLMultiArrayDataType::float32);
    std::copy(samples.begin(), samples.end(), audio.dataPointer<float>());

    const auto features = mel.logMelSpectrogram(audio);
    ASSERT_TRUE(features);
    ASSERT_EQ(features->shape(), (std::vector<std::int64_t>{1, bands, 1, hops}));
    std::vector<float> expectedFeatures(bands * hops, 0.0f);
    for (std::int64_t b = 0; b < bands; ++b) {
        for (std::int64_t t = 0; t < hops; ++t) {
            float sum = 0;
            for (std::int64_t k = 0; k < hopSamples; ++k) sum += bundles.bandWeights[b * hopSamples + k] * samples[t * hopSamples + k];
            expectedFeatures[b * hops + t] = sum;
            EXPECT_NEAR(static_cast<float>((*features)[{0, b, 0, t}]), sum, 1e-4) << "band " << b << " hop " << t;
        }
    }

    const auto embeds = encoder.encodeFeatures(*features);
    ASSERT_TRUE(embeds);
    ASSERT_EQ(embeds->shape(), (std::vector<std::int64_t>{1, width, 1, hops}));
    for (std::int64_t c = 0; c < width; ++c) {
        for (std::int64_t t = 0; t < hops; ++t) {
            float sum = bundles.embedBias[c];
            for (std::int64_t b = 0; b < bands; ++b) sum += bundles.embedWeights[c * bands + b] * expectedFeatures[b * hops + t];
            EXPECT_NEAR(static_cast<float>((*embeds)[{0, c, 0, t}]), sum, 1e-4) << "channel " << c << " frame " << t;
        }
    }
}

} // namespace
} // namespace hushframe
