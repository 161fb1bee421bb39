#pragma once
// A CTC front end and encoder for tests. The audio carries one token per
// encoder frame in its amplitude: a window of 240000 samples has 188 frames,
// and frame t reads the sample at t * 240000 / 188; amplitude 0.1 * (k + 1)
// is token k, silence is the blank. The front end passes those samples on as
// mel features [1, 1, 188]; the encoder gives the coded token a logit of 10
// and every other id 0.

#include "Platform/CoreML/MLModel.hpp"
#include "Platform/CoreML/MLModelBackendRegistry.hpp"
#include "Platform/CoreML/ScriptedModelBackend.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/CtcModels.hpp"

#include <cmath>
#include <functional>
#include <memory>

namespace scriptedctc {

using namespace platform::coreml;

inline constexpr std::int64_t window = 240000;
inline constexpr std::int64_t framesPerWindow = 188;
inline constexpr std::int64_t vocabularySize = 3;  // ids 0..2; the blank is 3
inline constexpr std::int64_t blankId = vocabularySize;

inline std::int64_t frameSample(std::int64_t frame) { return frame * window / framesPerWindow; }

// Audio whose frame t (of the window it starts) codes tokens[t] (-1: silence).
inline std::vector<float> codedAudio(std::size_t sampleCount, const std::vector<std::pair<std::int64_t, int>>& tokenAtFrame) {
    std::vector<float> audio(sampleCount, 0.0f);
    for (const auto& [frame, token] : tokenAtFrame) {
        const auto from = frameSample(frame);
        const auto to = std::min<std::int64_t>(frameSample(frame + 1), static_cast<std::int64_t>(sampleCount));
        for (auto i = from; i < to; ++i) audio[static_cast<std::size_t>(i)] = 0.1f * static_cast<float>(token + 1);
    }
    return audio;
}

struct Options {
    bool audioRank2 = false;
    MLMultiArrayDataType audioType = MLMultiArrayDataType::float32;
    bool reportMelLength = true;
    bool rank4Mel = false;              // [1, 1, 188, 1]
    std::string headName = "ctc_head_raw_output";
    bool tokensFirst = false;           // [1, V+1, 1, T]
    std::function<std::vector<std::int64_t>()> headShapeOverride;
};

inline std::shared_ptr<ScriptedModelBackend> frontEnd(const Options& options) {
    const auto audio = options.audioRank2 ? std::vector<std::int64_t>{1, window} : std::vector<std::int64_t>{window};
    std::vector<MLFeatureDescription> outputs{MLFeatureDescription::multiArray("melspectrogram_features", {1, 1, framesPerWindow}, MLMultiArrayDataType::float32)};
    if (options.reportMelLength) outputs.push_back(MLFeatureDescription::multiArray("mel_length", {1}, MLMultiArrayDataType::int32));
    auto description = MLModelDescription::make(
        {MLFeatureDescription::multiArray("audio", audio, options.audioType),
         MLFeatureDescription::multiArray("audio_length", {1}, MLMultiArrayDataType::int32)},
        outputs);
    return std::make_shared<ScriptedModelBackend>(description, [options](const MLFeatureProvider& inputs, MLState*) {
        const auto samples = *inputs.featureValue("audio")->multiArrayValue();
        auto shape = options.rank4Mel ? std::vector<std::int64_t>{1, 1, framesPerWindow, 1}
                                      : std::vector<std::int64_t>{1, 1, framesPerWindow};
        MLMultiArray mel(shape, MLMultiArrayDataType::float32);
        for (std::int64_t t = 0; t < framesPerWindow; ++t) mel[t] = samples[frameSample(t)].doubleValue();
        ScriptedModelBackend::Outputs out{{"melspectrogram_features", MLFeatureValue(mel)}};
        if (options.reportMelLength) {
            MLMultiArray length({1}, MLMultiArrayDataType::int32);
            length[0] = 99;  // rank-4 features must win over this
            if (!options.rank4Mel) length[0] = static_cast<double>(framesPerWindow);
            out.emplace("mel_length", MLFeatureValue(length));
        }
        return out;
    });
}

inline std::shared_ptr<ScriptedModelBackend> encoder(const Options& options) {
    auto description = MLModelDescription::make(
        {MLFeatureDescription::multiArray("melspectrogram_features", {1, 1, framesPerWindow}, MLMultiArrayDataType::float32),
         MLFeatureDescription::multiArray("mel_length", {1}, MLMultiArrayDataType::int32),
         MLFeatureDescription::multiArray("input_1", {1, 1, 1, 1}, MLMultiArrayDataType::float16)},
        {MLFeatureDescription::multiArray(options.headName, {1, framesPerWindow, vocabularySize + 1}, MLMultiArrayDataType::float32)});
    for (auto& [name, input] : description.inputDescriptionsByName) {
        if (name == "melspectrogram_features") input.multiArrayConstraint.reset();
    }
    return std::make_shared<ScriptedModelBackend>(description, [options](const MLFeatureProvider& inputs, MLState*) {
        const auto mel = *inputs.featureValue("melspectrogram_features")->multiArrayValue();
        const auto frames = *inputs.featureValue("mel_length")->multiArrayValue();
        const std::int64_t t0 = frames[0].int32Value();
        const std::int64_t tokens = vocabularySize + 1;
        auto shape = options.tokensFirst ? std::vector<std::int64_t>{1, tokens, 1, t0} : std::vector<std::int64_t>{1, t0, tokens};
        if (options.headShapeOverride) shape = options.headShapeOverride();
        MLMultiArray head(shape, MLMultiArrayDataType::float32);
        if (shape.size() >= 3) {
            for (std::int64_t t = 0; t < t0; ++t) {
                const auto code = static_cast<std::int64_t>(std::lround(mel[t].doubleValue() * 10.0)) - 1;
                const std::int64_t token = code >= 0 && code < vocabularySize ? code : blankId;
                if (options.tokensFirst) {
                    head[{0, token, 0, t}] = 10.0;
                } else {
                    head[{0, t, token}] = 10.0;
                }
            }
        }
        return ScriptedModelBackend::Outputs{{options.headName, MLFeatureValue(head)}};
    });
}

inline razeziruzer::Vocabulary vocabulary() {
    return {{0, "\xE2\x96\x81zo"}, {1, "vi"}, {2, "ri"}};
}

inline razeziruzer::CtcModels models(const Options& options = {}) {
    return {MLModel(frontEnd(options)), MLModel(encoder(options)), razeziruzer::CtcModels::defaultConfiguration(),
            vocabulary(), razeziruzer::CtcModelVariant::ctc110m};
}

} // namespace scriptedctc
