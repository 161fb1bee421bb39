#include "tests/RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/ScriptedNemotron.hpp"

#include "Platform/CoreML/MLMultiArrayConstraint.hpp"
#include "tests/Support/FunctionModelBackend.hpp"

#include <cmath>
#include <fstream>

namespace razeziruzer::scriptednemotron {
namespace {

using platform::coreml::MLFeatureDescription;
using platform::coreml::MLFeatureProvider;
using platform::coreml::MLFeatureValue;
using platform::coreml::MLModelBackendRegistry;
using platform::coreml::MLModelDescription;
using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;
using platform::coreml::MLState;
using platform::coreml::ScriptedModelBackend;
using testsupport::anyShape;
using testsupport::inputArray;
using Outputs = ScriptedModelBackend::Outputs;

constexpr float amplitudeStep = 1e-3f;
constexpr std::int64_t melFeatures = 2;
constexpr std::int64_t preEncodeCache = 9;
constexpr std::int64_t encoderDim = 4;
constexpr std::int64_t decoderHidden = 3;

MLMultiArray plusOne(const MLMultiArray& array) {
    auto next = array.clone();
    for (std::int64_t i = 0; i < next.count(); ++i) next[i] = next[i].doubleValue() + 1;
    return next;
}

MLMultiArray logitsFor(std::int64_t id) {
    MLMultiArray logits({1, 1, 1, vocabularySize + 1}, MLMultiArrayDataType::float32);
    logits[id] = 1.0;
    return logits;
}

// The joint's rule: the frame's token while its number is above the emission count.
std::int64_t choose(const MLMultiArray& encoderStep, double emitted) {
    const auto code = std::lround(encoderStep[{0, 0, 0}].doubleValue());
    const auto ordinal = encoderStep[{0, 1, 0}].doubleValue();
    return code > 0 && ordinal > emitted ? code - 1 : blankId;
}

Outputs decoderOutputs(const MLFeatureProvider& inputs, bool withDecoderOut) {
    const auto h = inputArray(inputs, "h_in");
    const auto c = inputArray(inputs, "c_in");
    auto hOut = h.clone();
    hOut[0] = h[0].doubleValue() + 1;
    Outputs outputs{{"h_out", MLFeatureValue(hOut)}, {"c_out", MLFeatureValue(plusOne(c))}};
    if (withDecoderOut) {
        MLMultiArray decoderOut({1, decoderHidden, 1}, MLMultiArrayDataType::float32);
        decoderOut[{0, 0, 0}] = h[0].doubleValue();
        decoderOut[{0, 1, 0}] = inputArray(inputs, "token")[0].doubleValue();
        outputs.emplace("decoder_out", MLFeatureValue(decoderOut));
    }
    return outputs;
}

void writeFile(const std::filesystem::path& path, const std::string& contents) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << contents;
}

} // namespace

std::vector<float> codedAudio(const std::vector<int>& tokensPerFrame) {
    std::vector<float> audio;
    for (const int token : tokensPerFrame) {
        audio.insert(audio.end(), samplesPerFrame, static_cast<float>(token + 1) * amplitudeStep);
    }
    return audio;
}

std::string expectedText(const std::vector<int>& tokensPerFrame) {
    std::string text;
    for (const int token : tokensPerFrame) {
        if (token >= 0) text += (text.empty() ? "t" : " t") + std::to_string(token);
    }
    return text;
}

std::string ScriptedNemotron::metadataJson(int chunkMs) {
    const int frames = chunkMs / 10;
    return "{\"sample_rate\": 16000, \"mel_features\": 2, \"chunk_mel_frames\": " + std::to_string(frames) +
           ", \"chunk_ms\": " + std::to_string(chunkMs) + ", \"pre_encode_cache\": 9, \"total_mel_frames\": " +
           std::to_string(frames + 9) +
           ", \"vocab_size\": 16, \"blank_idx\": 16, \"encoder_dim\": 4, \"decoder_hidden\": 3,"
           " \"decoder_layers\": 2, \"cache_channel_shape\": [1, 2, 3, 4], \"cache_time_shape\": [1, 2, 4, 2]}";
}

ScriptedNemotron::ScriptedNemotron(const std::filesystem::path& folder, Options options) : folder_(folder) {
    const auto beforeJoint = options.beforeJoint;
    const auto alwaysEmit = options.alwaysEmit;
    const bool givesCacheLen = options.encoderGivesCacheLen;

    preprocessor = std::make_shared<ScriptedModelBackend>(
        MLModelDescription::make({anyShape("audio"), anyShape("audio_length", MLMultiArrayDataType::int32)},
                                 {anyShape("mel")}),
        [](const MLFeatureProvider& inputs, MLState*) {
            const auto audio = inputArray(inputs, "audio");
            const auto frames = audio.shape()[1] / 160;
            MLMultiArray mel({1, melFeatures, frames}, MLMultiArrayDataType::float32);
            for (std::int64_t f = 0; f < frames; ++f) {
                mel[{0, 0, f}] = static_cast<double>(std::lround(audio[{0, f * 160}].doubleValue() / amplitudeStep));
                mel[{0, 1, f}] = static_cast<double>(f);
            }
            return Outputs{{"mel", MLFeatureValue(mel)}};
        });

    std::vector<MLFeatureDescription> encoderOutputs{anyShape("encoded"), anyShape("cache_channel_out"),
                                                     anyShape("cache_time_out")};
    if (givesCacheLen) encoderOutputs.push_back(anyShape("cache_len_out", MLMultiArrayDataType::int32));
    encoder = std::make_shared<ScriptedModelBackend>(
        MLModelDescription::make({anyShape("mel"), anyShape("mel_length", MLMultiArrayDataType::int32),
                                  anyShape("cache_channel"), anyShape("cache_time"),
                                  anyShape("cache_len", MLMultiArrayDataType::int32)},
                                 encoderOutputs),
        [givesCacheLen](const MLFeatureProvider& inputs, MLState*) {
            const auto window = inputArray(inputs, "mel");
            const auto cacheTime = inputArray(inputs, "cache_time");
            const auto cacheLen = inputArray(inputs, "cache_len");
            const auto frames = (window.shape()[2] - preEncodeCache) / 8;
            MLMultiArray encoded({1, encoderDim, frames}, MLMultiArrayDataType::float32);
            double count = cacheTime[0].doubleValue();
            for (std::int64_t t = 0; t < frames; ++t) {
                const auto code = window[{0, 0, preEncodeCache + 8 * t}].doubleValue();
                if (code > 0) count += 1;
                encoded[{0, 0, t}] = code;
                encoded[{0, 1, t}] = code > 0 ? count : 0.0;
                encoded[{0, 2, t}] = cacheLen[0].doubleValue();
            }
            auto timeOut = cacheTime.clone();
            timeOut[0] = count;
            Outputs outputs{{"encoded", MLFeatureValue(encoded)},
                            {"cache_channel_out", MLFeatureValue(plusOne(inputArray(inputs, "cache_channel")))},
                            {"cache_time_out", MLFeatureValue(timeOut)}};
            if (givesCacheLen) outputs.emplace("cache_len_out", MLFeatureValue(plusOne(cacheLen)));
            return outputs;
        });

    const auto stateInputs = std::vector<MLFeatureDescription>{
        anyShape("token", MLMultiArrayDataType::int32), anyShape("token_length", MLMultiArrayDataType::int32),
        anyShape("h_in"), anyShape("c_in")};
    decoder = std::make_shared<ScriptedModelBackend>(
        MLModelDescription::make(stateInputs, {anyShape("decoder_out"), anyShape("h_out"), anyShape("c_out")}),
        [](const MLFeatureProvider& inputs, MLState*) { return decoderOutputs(inputs, true); });

    joint = std::make_shared<ScriptedModelBackend>(
        MLModelDescription::make({anyShape("encoder"), anyShape("decoder")}, {anyShape("logits")}),
        [beforeJoint, alwaysEmit](const MLFeatureProvider& inputs, MLState*) {
            if (beforeJoint) beforeJoint();
            if (alwaysEmit) return Outputs{{"logits", MLFeatureValue(logitsFor(*alwaysEmit))}};
            const auto emitted = inputArray(inputs, "decoder")[{0, 0, 0}].doubleValue();
            return Outputs{{"logits", MLFeatureValue(logitsFor(choose(inputArray(inputs, "encoder"), emitted)))}};
        });

    auto fusedInputs = stateInputs;
    fusedInputs.push_back(anyShape("encoder"));
    decoderJoint = std::make_shared<ScriptedModelBackend>(
        MLModelDescription::make(fusedInputs, {anyShape("logits"), anyShape("h_out"), anyShape("c_out")}),
        [beforeJoint, alwaysEmit](const MLFeatureProvider& inputs, MLState*) {
            if (beforeJoint) beforeJoint();
            auto outputs = decoderOutputs(inputs, false);
            const auto emitted = inputArray(inputs, "h_in")[0].doubleValue();
            outputs.emplace("logits", MLFeatureValue(logitsFor(alwaysEmit ? *alwaysEmit
                                                                          : choose(inputArray(inputs, "encoder"), emitted))));
            return outputs;
        });

    std::vector<std::pair<std::string, std::shared_ptr<ScriptedModelBackend>>> bundles{
        {"preprocessor.mlmodelc", preprocessor},
        {"encoder/encoder_int8.mlmodelc", encoder},
        {"decoder.mlmodelc", decoder},
        {"joint.mlmodelc", joint}};
    if (options.fused) bundles.emplace_back("decoder_joint.mlmodelc", decoderJoint);
    auto& registry = MLModelBackendRegistry::shared();
    for (const auto& [name, backend] : bundles) {
        const auto path = folder / name;
        ScriptedModelBackend::writeCompiledModelFolder(path);
        registrations_.push_back(registry.registerBackend(
            MLModelBackendRegistry::forPath(path), [backend = backend](const auto&, const auto&) { return backend; }));
    }
    std::string vocabulary = "{";
    for (int id = 0; id < vocabularySize; ++id) {
        vocabulary += (id ? ", \"" : "\"") + std::to_string(id) + "\": \"\u2581t" + std::to_string(id) + "\"";
    }
    writeFile(folder / "tokenizer.json", vocabulary + "}");
    writeFile(folder / "metadata.json", metadataJson(options.chunkMs));
}

} // namespace razeziruzer::scriptednemotron
