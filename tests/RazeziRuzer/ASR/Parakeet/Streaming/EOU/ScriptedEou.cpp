#include "tests/RazeziRuzer/ASR/Parakeet/Streaming/EOU/ScriptedEou.hpp"

#include "Platform/CoreML/MLMultiArrayConstraint.hpp"
#include "Platform/CoreML/ScriptedModelBackend.hpp"
#include "RazeziRuzer/Shared/AudioMelSpectrogram.hpp"

#include <cmath>
#include <fstream>
#include <numbers>

namespace razeziruzer::scriptedeou {
namespace {

using platform::coreml::MLFeatureDescription;
using platform::coreml::MLFeatureProvider;
using platform::coreml::MLFeatureValue;
using platform::coreml::MLModelBackendRegistry;
using platform::coreml::MLModelDescription;
using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayConstraint;
using platform::coreml::MLMultiArrayDataType;
using platform::coreml::MLState;
using Outputs = std::map<std::string, MLFeatureValue>;

constexpr int eouCode = 100;

class FunctionBackend final : public platform::coreml::MLModelBackend {
public:
    using Function = std::function<Outputs(const MLFeatureProvider&)>;
    FunctionBackend(MLModelDescription description, Function function)
        : description_(std::move(description)), function_(std::move(function)) {}
    const MLModelDescription& modelDescription() const override { return description_; }
    Outputs predict(const MLFeatureProvider& inputs, MLState*) override { return function_(inputs); }

private:
    MLModelDescription description_;
    Function function_;
};

MLFeatureDescription anyShape(const std::string& name, MLMultiArrayDataType type = MLMultiArrayDataType::float32) {
    MLMultiArrayConstraint constraint;
    constraint.dataType = type;
    return MLFeatureDescription::multiArray(name, constraint);
}

MLMultiArray in(const MLFeatureProvider& inputs, const char* name) { return *inputs.featureValue(name)->multiArrayValue(); }

double toneHz(int symbol) { return 400.0 + 400.0 * (symbol == eouMark ? tokenCount : symbol); }

MLMultiArray plusOne(const MLMultiArray& array) {
    auto next = array.clone();
    auto* data = next.dataPointer<float>();
    for (std::int64_t i = 0; i < next.count(); ++i) data[i] += 1.0f;
    return next;
}

MLMultiArray tokenArray(std::int32_t token) {
    MLMultiArray array({1}, MLMultiArrayDataType::int32);
    array[0] = token;
    return array;
}

// The loudest mel band of one frame of a flat [128, frames] matrix.
int loudestBand(const MLMultiArray& mel, std::int64_t frame, float* loudest) {
    int best = 0;
    float bestValue = -1e30f;
    for (std::int64_t m = 0; m < 128; ++m) {
        const float value = mel[{0, m, frame}].floatValue();
        if (value > bestValue) {
            bestValue = value;
            best = static_cast<int>(m);
        }
    }
    *loudest = bestValue;
    return best;
}

// Band of each symbol's tone (tokens, then the mark), measured with the recogniser's own mel settings.
std::vector<int> referenceBands() {
    AudioMelSpectrogram melProcessor;
    std::vector<int> bands;
    for (int symbol = 0; symbol <= tokenCount; ++symbol) {
        std::vector<float> tone(2560);
        for (std::size_t i = 0; i < tone.size(); ++i) {
            tone[i] = 0.5f * static_cast<float>(std::sin(2 * std::numbers::pi * toneHz(symbol == tokenCount ? eouMark : symbol) *
                                                         static_cast<double>(i) / 16000.0));
        }
        const auto mel = melProcessor.computeFlat(tone, 0.0f);
        int best = 0;
        for (int m = 1; m < 128; ++m) {
            if (mel.mel[static_cast<std::size_t>(m * mel.numFrames + 8)] > mel.mel[static_cast<std::size_t>(best * mel.numFrames + 8)]) best = m;
        }
        bands.push_back(best);
    }
    return bands;
}

Outputs decoderOutputs(const MLFeatureProvider& inputs, std::int64_t timeSteps, bool withDecoder) {
    const auto h = in(inputs, "h_in");
    auto hOut = h.clone();
    hOut[0] = h[0].doubleValue() + 1;
    Outputs outputs{{"h_out", MLFeatureValue(hOut)}, {"c_out", MLFeatureValue(in(inputs, "c_in").clone())}};
    if (withDecoder) {
        MLMultiArray decoder({1, 640, timeSteps}, MLMultiArrayDataType::float32);
        // Only the last time step carries the count; earlier ones carry a wrong one.
        for (std::int64_t t = 0; t < timeSteps; ++t) decoder[{0, 0, t}] = t + 1 == timeSteps ? h[0].doubleValue() : -5.0;
        outputs.emplace("decoder", MLFeatureValue(decoder));
    }
    return outputs;
}

std::int32_t choose(const MLMultiArray& encoderStep, double emitted) {
    const auto code = std::lround(encoderStep[{0, 0, 0}].doubleValue());
    if (code == eouCode) return 1024;
    const auto ordinal = encoderStep[{0, 1, 0}].doubleValue();
    return code > 0 && ordinal > emitted ? static_cast<std::int32_t>(code - 1) : 1026;
}

} // namespace

std::int64_t samplesPerFrame(StreamingChunkSize size) {
    const auto g = geometry(size);
    return g.shiftSamples / g.validOutputLen;
}

std::vector<float> codedAudio(StreamingChunkSize size, const std::vector<int>& frames) {
    const auto length = samplesPerFrame(size);
    std::vector<float> audio;
    for (const int symbol : frames) {
        for (std::int64_t i = 0; i < length; ++i) {
            audio.push_back(symbol == silence ? 0.0f
                                              : 0.5f * static_cast<float>(std::sin(2 * std::numbers::pi * toneHz(symbol) *
                                                                                   static_cast<double>(i) / 16000.0)));
        }
    }
    return audio;
}

std::string expectedText(const std::vector<int>& frames) {
    std::string text;
    for (const int symbol : frames) {
        if (symbol >= 0) text += (text.empty() ? "w" : " w") + std::to_string(symbol);
    }
    return text;
}

ScriptedEou::ScriptedEou(const std::filesystem::path& folder, StreamingChunkSize size, Options options) {
    const auto g = geometry(size);
    const auto frameMel = samplesPerFrame(size) / 160;
    const auto bands = referenceBands();
    auto record = record_;

    std::vector<MLFeatureDescription> encoderOutputs{anyShape("encoded_output"), anyShape("new_pre_cache"),
                                                     anyShape("new_cache_last_channel"),
                                                     anyShape("new_cache_last_channel_len", MLMultiArrayDataType::int32)};
    if (options.encoderGivesTimeCache) encoderOutputs.push_back(anyShape("new_cache_last_time"));
    encoder = std::make_shared<FunctionBackend>(
        MLModelDescription::make({anyShape("audio_signal"), anyShape("audio_length", MLMultiArrayDataType::int32),
                                  anyShape("pre_cache"), anyShape("cache_last_channel"), anyShape("cache_last_time"),
                                  anyShape("cache_last_channel_len", MLMultiArrayDataType::int32)},
                                 encoderOutputs),
        [record, options, g, frameMel, bands](const MLFeatureProvider& inputs) {
            const auto mel = in(inputs, "audio_signal");
            const auto preCache = in(inputs, "pre_cache");
            const auto channel = in(inputs, "cache_last_channel");
            const auto time = in(inputs, "cache_last_time");
            const auto len = in(inputs, "cache_last_channel_len");
            {
                const std::lock_guard lock(record->mutex);
                record->encoderCalls.push_back({preCache[0].doubleValue(), channel[0].doubleValue(),
                                                time[0].doubleValue(), len[0].int32Value(),
                                                in(inputs, "audio_length")[0].int32Value(), mel.shape()});
            }
            // One frame past the decoded ones, which the recogniser must ignore.
            const auto frames = g.validOutputLen + 1;
            MLMultiArray encoded({1, 4, frames}, MLMultiArrayDataType::float32);
            auto count = len[0].int32Value();
            for (std::int64_t j = 0; j < frames; ++j) {
                const auto melFrame = std::min<std::int64_t>(j * frameMel + frameMel / 2, mel.shape()[2] - 1);
                float loudest = 0;
                const int band = loudestBand(mel, melFrame, &loudest);
                int code = 0;
                for (int symbol = 0; symbol <= tokenCount && loudest > -5.0f; ++symbol) {
                    if (bands[static_cast<std::size_t>(symbol)] == band) code = symbol == tokenCount ? eouCode : symbol + 1;
                }
                if (j == g.validOutputLen) {
                    // Past the decoded frames: a token the joint would answer.
                    encoded[{0, 0, j}] = tokenCount;
                    encoded[{0, 1, j}] = count + 1;
                    continue;
                }
                if (code > 0 && code != eouCode) ++count;
                encoded[{0, 0, j}] = code;
                encoded[{0, 1, j}] = code > 0 && code != eouCode ? count : 0;
            }
            Outputs outputs{{"new_pre_cache", MLFeatureValue(plusOne(preCache))},
                            {"new_cache_last_channel", MLFeatureValue(plusOne(channel))},
                            {"new_cache_last_channel_len", MLFeatureValue(tokenArray(count))}};
            if (options.encoderGivesOutput) outputs.emplace("encoded_output", MLFeatureValue(encoded));
            if (options.encoderGivesTimeCache) outputs.emplace("new_cache_last_time", MLFeatureValue(plusOne(time)));
            return outputs;
        });

    const auto timeSteps = options.decoderTimeSteps;
    decoder = std::make_shared<FunctionBackend>(
        MLModelDescription::make({anyShape("targets", MLMultiArrayDataType::int32),
                                  anyShape("target_length", MLMultiArrayDataType::int32), anyShape("h_in"),
                                  anyShape("c_in")},
                                 {anyShape("decoder"), anyShape("h_out"), anyShape("c_out")}),
        [record, timeSteps](const MLFeatureProvider& inputs) {
            ++record->decoderCalls;
            return decoderOutputs(inputs, timeSteps, true);
        });
    joint = std::make_shared<FunctionBackend>(
        MLModelDescription::make({anyShape("encoder_step"), anyShape("decoder_step")},
                                 {anyShape("token_id", MLMultiArrayDataType::int32)}),
        [record, options](const MLFeatureProvider& inputs) {
            ++record->jointCalls;
            if (options.beforeJoint) options.beforeJoint();
            const auto decoderStep = in(inputs, "decoder_step");
            auto token = choose(in(inputs, "encoder_step"), decoderStep[{0, 0, 0}].doubleValue());
            if (options.jointAnswer) token = options.jointAnswer(token);
            return Outputs{{"token_id", MLFeatureValue(tokenArray(token))}};
        });
    fused = std::make_shared<FunctionBackend>(
        MLModelDescription::make({anyShape("targets", MLMultiArrayDataType::int32), anyShape("h_in"), anyShape("c_in"),
                                  anyShape("encoder_step")},
                                 {anyShape("token_id", MLMultiArrayDataType::int32), anyShape("h_out"), anyShape("c_out")}),
        [record, options](const MLFeatureProvider& inputs) {
            ++record->fusedCalls;
            if (options.beforeJoint) options.beforeJoint();
            auto outputs = decoderOutputs(inputs, 1, false);
            auto token = choose(in(inputs, "encoder_step"), in(inputs, "h_in")[0].doubleValue());
            if (options.jointAnswer) token = options.jointAnswer(token);
            outputs.emplace("token_id", MLFeatureValue(tokenArray(token)));
            return outputs;
        });

    std::vector<std::pair<std::string, std::shared_ptr<platform::coreml::MLModelBackend>>> bundles{
        {"streaming_encoder.mlmodelc", encoder}, {"decoder.mlmodelc", decoder}, {"joint_decision.mlmodelc", joint}};
    if (options.fusedFile) bundles.emplace_back("decoder_joint_decision_fused.mlmodelc", fused);
    auto& registry = MLModelBackendRegistry::shared();
    for (const auto& [name, backend] : bundles) {
        const auto path = folder / name;
        platform::coreml::ScriptedModelBackend::writeCompiledModelFolder(path);
        registrations_.push_back(registry.registerBackend(
            MLModelBackendRegistry::forPath(path), [backend = backend](const auto&, const auto&) { return backend; }));
    }
    std::string vocabulary = "{";
    for (int id = 0; id < tokenCount; ++id) {
        vocabulary += (id ? ", \"" : "\"") + std::to_string(id) + "\": \"\u2581w" + std::to_string(id) + "\"";
    }
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "vocab.json") << vocabulary + "}";
}

} // namespace razeziruzer::scriptedeou
