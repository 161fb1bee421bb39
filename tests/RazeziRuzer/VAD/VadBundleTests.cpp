// The detector over a model bundle written here and run by the platform's
// program interpreter: the real path from bundle files to probabilities and
// carried state, checked against the same arithmetic done by hand.
#include "RazeziRuzer/VAD/VadManager.hpp"

#include "RazeziRuzer/DownloadUtils.hpp"
#include "tests/Support/ModelBundleWriter.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace razeziruzer {
namespace {

// The model is on disk already; nothing may reach the network.
struct OfflineOnly {
    OfflineOnly() { DownloadUtils::enforceOffline = true; }
    ~OfflineOnly() { DownloadUtils::enforceOffline = false; }
};

using platform::coreml::mil::DataType;
using testsupport::ModelBundleWriter;

const char* const header = testsupport::programHeader;

std::vector<float> randomValues(std::size_t count, unsigned seed, float scale) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> value(-scale, scale);
    std::vector<float> values(count);
    for (auto& v : values) v = value(random);
    return values;
}

struct Weights {
    std::vector<float> probability = randomValues(4160, 1, 0.05f);
    std::vector<float> hidden = randomValues(128 * 128, 2, 0.1f);
    std::vector<float> cell = randomValues(128 * 128, 3, 0.1f);
};

// vad_output = sigmoid(audio · w), new_hidden = tanh(W_h h), new_cell = W_c c.
std::string vadProgram(ModelBundleWriter& bundle, const Weights& weights) {
    std::string body;
    body += "        " + bundle.blobConstant("w_p", DataType::fp32, {1, 4160}, weights.probability);
    body += "        " + bundle.blobConstant("w_h", DataType::fp32, {128, 128}, weights.hidden);
    body += "        " + bundle.blobConstant("w_c", DataType::fp32, {128, 128}, weights.cell);
    body += "        tensor<fp32, [1, 1]> logit = linear(weight = w_p, x = audio_input)[name = string(\"logit\")];\n";
    body += "        tensor<fp32, [1, 1]> vad_output = sigmoid(x = logit)[name = string(\"vad_output\")];\n";
    body += "        tensor<fp32, [1, 128]> h1 = linear(weight = w_h, x = hidden_state)[name = string(\"h1\")];\n";
    body += "        tensor<fp32, [1, 128]> new_hidden_state = tanh(x = h1)[name = string(\"new_hidden_state\")];\n";
    body += "        tensor<fp32, [1, 128]> new_cell_state = linear(weight = w_c, x = cell_state)[name = string(\"new_cell_state\")];\n";
    return std::string(header) +
           "    func main<ios18>(tensor<fp32, [1, 4160]> audio_input, tensor<fp32, [1, 128]> hidden_state, "
           "tensor<fp32, [1, 128]> cell_state) {\n" +
           body + "    } -> (vad_output, new_hidden_state, new_cell_state);\n}\n";
}

std::vector<float> product(const std::vector<float>& matrix, const std::vector<float>& vector) {
    const auto rows = matrix.size() / vector.size();
    std::vector<float> result(rows, 0.0f);
    for (std::size_t r = 0; r < rows; ++r) {
        for (std::size_t c = 0; c < vector.size(); ++c) result[r] += matrix[r * vector.size() + c] * vector[c];
    }
    return result;
}

TEST(VadBundleTests, ProbabilitiesAndStateFromAWrittenBundle) {
    testsupport::TemporaryDirectory folder;
    const Weights weights;
    ModelBundleWriter bundle;
    const auto program = vadProgram(bundle, weights);
    bundle.write(folder.path() / "Models" / "silero-vad" / "silero-vad-unified-256ms-v6.0.0.mlmodelc", program);

    const OfflineOnly offline;
    const auto manager = VadManager::load(VadConfig{}, folder.path());
    const auto samples = randomValues(4096 + 1000, 4, 1.0f);
    const auto results = manager->process(samples);
    ASSERT_EQ(results.size(), 2u);

    // By hand: context, then the chunk (the second extended by its last sample).
    std::vector<float> hidden(128, 0.0f), cell(128, 0.0f), context(64, 0.0f);
    for (std::size_t k = 0; k < 2; ++k) {
        SCOPED_TRACE("chunk " + std::to_string(k));
        std::vector<float> chunk(samples.begin() + static_cast<std::ptrdiff_t>(4096 * k),
                                 samples.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(4096 * (k + 1), samples.size())));
        chunk.resize(4096, chunk.back());
        std::vector<float> input(context);
        input.insert(input.end(), chunk.begin(), chunk.end());
        const float logit = product(weights.probability, input)[0];
        EXPECT_NEAR(results[k].probability, 1.0f / (1.0f + std::exp(-logit)), 1e-4);
        auto nextHidden = product(weights.hidden, hidden);
        for (auto& v : nextHidden) v = std::tanh(v);
        cell = product(weights.cell, cell);
        hidden = nextHidden;
        for (std::size_t i = 0; i < 128; ++i) {
            EXPECT_NEAR(results[k].outputState.hiddenState[i], hidden[i], 1e-4);
            EXPECT_NEAR(results[k].outputState.cellState[i], cell[i], 1e-4);
        }
        context.assign(chunk.end() - 64, chunk.end());
        EXPECT_EQ(results[k].outputState.context, context);
    }
}

} // namespace
} // namespace razeziruzer
