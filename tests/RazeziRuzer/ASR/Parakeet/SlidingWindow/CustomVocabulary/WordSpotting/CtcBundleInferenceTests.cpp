// The CTC front end and encoder as real program bundles with small random
// weights, loaded from their folder and run by the model runtime: the front
// end cuts the window into 250 frames of 960 samples, the encoder's CTC head
// is one linear layer over each frame.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/CtcKeywordSpotter.hpp"

#include "tests/Support/ModelBundleWriter.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace razeziruzer;

namespace {

using platform::coreml::mil::DataType;

const char* const header = testsupport::programHeader;
constexpr std::int64_t frameCount = 250;
constexpr std::int64_t frameSamples = 960;
constexpr std::int64_t tokens = 5;  // four pieces and the blank

void writeFrontEnd(const std::filesystem::path& folder) {
    testsupport::ModelBundleWriter bundle;
    std::string program = std::string(header) +
                          "    func main<ios18>(tensor<fp32, [240000]> audio, tensor<int32, [1]> audio_length) {\n";
    program += "        " + testsupport::intsConstant("shape", std::vector<std::int64_t>{1, frameCount, frameSamples});
    program += "        tensor<fp32, [1, 250, 960]> melspectrogram_features = reshape(shape = shape, x = audio)"
               "[name = string(\"frames\")];\n";
    program += "    } -> (melspectrogram_features);\n}\n";
    bundle.write(folder / "MelSpectrogram.mlmodelc", program);
}

void writeEncoder(const std::filesystem::path& folder, const std::vector<float>& weight, const std::vector<float>& bias) {
    testsupport::ModelBundleWriter bundle;
    std::string program = std::string(header) +
                          "    func main<ios18>(tensor<fp32, [1, 250, 960]> melspectrogram_features, tensor<int32, [1]> mel_length,"
                          " tensor<fp16, [1, 1, 1, 1]> input_1) {\n";
    program += "        " + bundle.blobConstant("w", DataType::fp32, {tokens, frameSamples}, weight);
    program += "        " + bundle.blobConstant("b", DataType::fp32, {tokens}, bias);
    program += "        tensor<fp32, [1, 250, 5]> ctc_head_raw_output = linear(bias = b, weight = w, x = melspectrogram_features)"
               "[name = string(\"head\")];\n";
    program += "    } -> (ctc_head_raw_output);\n}\n";
    bundle.write(folder / "AudioEncoder.mlmodelc", program);
}

TEST(CtcBundleInference, RunsTheBundlesFromTheModelFolder) {
    std::mt19937 random(9);
    std::uniform_real_distribution<float> uniform(-0.5f, 0.5f);
    std::vector<float> weight(tokens * frameSamples);
    std::vector<float> bias(tokens);
    for (auto& value : weight) value = uniform(random);
    for (auto& value : bias) value = uniform(random);
    std::vector<float> audio(16000);
    for (auto& value : audio) value = uniform(random);

    testsupport::TemporaryDirectory folder;
    writeFrontEnd(folder.path());
    writeEncoder(folder.path(), weight, bias);
    folder.write("vocab.json", R"({"0": "\u2581a", "1": "b", "2": "c", "3": "d"})");
    const auto models = CtcModels::loadDirect(folder.path(), CtcModelVariant::ctc110m);
    EXPECT_EQ(models.vocabulary.size(), 4u);
    const CtcKeywordSpotter spotter(models, 4);

    const auto result = spotter.computeLogProbs(audio);
    // 16000 valid samples of 960 per frame: 17 frames are kept.
    ASSERT_EQ(result.totalFrames, 17);
    EXPECT_DOUBLE_EQ(result.frameDuration, 16000.0 / 17.0 / 16000.0);
    for (std::size_t t = 0; t < 17; ++t) {
        std::vector<double> logits(tokens);
        for (std::int64_t v = 0; v < tokens; ++v) {
            double sum = bias[static_cast<std::size_t>(v)];
            for (std::int64_t k = 0; k < frameSamples; ++k) {
                const std::size_t sample = t * frameSamples + static_cast<std::size_t>(k);
                const double x = sample < audio.size() ? audio[sample] : 0.0;  // zero padding
                sum += weight[static_cast<std::size_t>(v * frameSamples + k)] * x;
            }
            logits[static_cast<std::size_t>(v)] = sum;
        }
        const double largest = *std::max_element(logits.begin(), logits.end());
        double total = 0;
        for (const double value : logits) total += std::exp(value - largest);
        for (std::int64_t v = 0; v < tokens; ++v) {
            const double expected = logits[static_cast<std::size_t>(v)] - largest - std::log(total);
            EXPECT_NEAR(result.logProbs[t][static_cast<std::size_t>(v)], expected, 1e-3) << "frame " << t << ", token " << v;
        }
    }
}

} // namespace
