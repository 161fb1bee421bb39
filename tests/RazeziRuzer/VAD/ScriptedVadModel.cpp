#include "tests/RazeziRuzer/VAD/ScriptedVadModel.hpp"

#include "tests/Support/FunctionModelBackend.hpp"

namespace razeziruzer::vadtest {
namespace {

using platform::coreml::MLFeatureDescription;
using platform::coreml::MLFeatureProvider;
using platform::coreml::MLFeatureValue;
using platform::coreml::MLModelDescription;
using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;
using platform::coreml::ScriptedModelBackend;
using testsupport::anyShape;
using testsupport::inputArray;

} // namespace

std::shared_ptr<ScriptedModelBackend> scriptedVadBackend(ScriptedVadOptions options) {
    std::vector<MLFeatureDescription> outputs;
    if (!options.omitProbability) outputs.push_back(anyShape(options.probabilityName));
    if (!options.omitHidden) outputs.push_back(anyShape(options.hiddenName));
    if (!options.omitCell) outputs.push_back(anyShape(options.cellName));
    auto description = MLModelDescription::make(
        {MLFeatureDescription::multiArray("audio_input", {1, 4160}, MLMultiArrayDataType::float32),
         MLFeatureDescription::multiArray("hidden_state", {1, 128}, MLMultiArrayDataType::float32),
         MLFeatureDescription::multiArray("cell_state", {1, 128}, MLMultiArrayDataType::float32)},
        outputs);
    return std::make_shared<ScriptedModelBackend>(
        description, [options](const MLFeatureProvider& inputs, platform::coreml::MLState*) {
            const auto audio = inputArray(inputs, "audio_input");
            const auto hidden = inputArray(inputs, "hidden_state");
            const auto cell = inputArray(inputs, "cell_state");
            const double first = audio[{0, 64}];
            MLMultiArray probability({1, 1}, MLMultiArrayDataType::float32, first);
            MLMultiArray newHidden({1, 128}, MLMultiArrayDataType::float32);
            MLMultiArray newCell({1, 128}, MLMultiArrayDataType::float32);
            for (std::int64_t i = 0; i < 128; ++i) {
                newHidden[i] = hidden[i].doubleValue() + 1;
                newCell[i] = cell[i].doubleValue() + first;
            }
            ScriptedModelBackend::Outputs result;
            if (!options.omitProbability) result.emplace(options.probabilityName, MLFeatureValue(probability));
            if (!options.omitHidden) result.emplace(options.hiddenName, MLFeatureValue(newHidden));
            if (!options.omitCell) result.emplace(options.cellName, MLFeatureValue(newCell));
            return result;
        });
}

platform::coreml::MLModel scriptedVadModel(const std::shared_ptr<ScriptedModelBackend>& backend) {
    return platform::coreml::MLModel(backend);
}

std::vector<float> chunksAt(const std::vector<float>& probabilities) {
    std::vector<float> audio;
    for (const float probability : probabilities) audio.insert(audio.end(), 4096, probability);
    return audio;
}

std::vector<float> repeated(float probability, int count) {
    return std::vector<float>(static_cast<std::size_t>(count), probability);
}

std::vector<float> concatenated(std::initializer_list<std::vector<float>> parts) {
    std::vector<float> result;
    for (const auto& part : parts) result.insert(result.end(), part.begin(), part.end());
    return result;
}

} // namespace razeziruzer::vadtest
