#include "tests/RazeziRuzer/ASR/Parakeet/Unified/ScriptedUnified.hpp"

#include "Platform/CoreML/MLModelDescription.hpp"
#include "Platform/CoreML/MLMultiArray.hpp"
#include "Platform/CoreML/MLMultiArrayConstraint.hpp"
#include "Platform/CoreML/ScriptedModelBackend.hpp"
#include "RazeziRuzer/ModelNames.hpp"
#include "tests/Support/FunctionModelBackend.hpp"

#include <cmath>
#include <fstream>

namespace razeziruzer::scriptedunified {
namespace {

using platform::coreml::MLFeatureProvider;
using platform::coreml::MLFeatureValue;
using platform::coreml::MLModelBackendRegistry;
using platform::coreml::MLModelDescription;
using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;
using FunctionBackend = testsupport::FunctionModelBackend;
using testsupport::anyShape;
using testsupport::inputArray;
using Outputs = std::map<std::string, MLFeatureValue>;
constexpr std::int64_t frameSamples = 1280;

MLMultiArray int32Value(std::int32_t value) {
    MLMultiArray array({1}, MLMultiArrayDataType::int32);
    array[0] = value;
    return array;
}

MLMultiArray floatValue(float value, std::vector<std::int64_t> shape = {1}) {
    MLMultiArray array(std::move(shape), MLMultiArrayDataType::float32);
    array[0] = value;
    return array;
}

// Tokens of the script before each frame, for the joint's ordinal test.
std::vector<std::int64_t> tokensBefore(const Script& script) {
    std::vector<std::int64_t> before(script.size() + 1, 0);
    for (std::size_t f = 0; f < script.size(); ++f) before[f + 1] = before[f] + static_cast<std::int64_t>(script[f].size());
    return before;
}

} // namespace

std::vector<float> codedAudio(std::int64_t frames, std::int64_t tailSamples) {
    std::vector<float> audio;
    audio.reserve(static_cast<std::size_t>(frames * frameSamples + tailSamples));
    for (std::int64_t f = 0; f < frames; ++f) audio.insert(audio.end(), frameSamples, static_cast<float>(f + 1));
    audio.insert(audio.end(), static_cast<std::size_t>(tailSamples), static_cast<float>(frames + 1));
    return audio;
}

std::string expectedText(const Script& script) {
    std::string text;
    for (const auto& tokens : script) {
        for (const int token : tokens) text += (text.empty() ? "w" : " w") + std::to_string(token);
    }
    return text;
}

Script everyNthFrame(std::int64_t frames, std::int64_t every) {
    Script script(static_cast<std::size_t>(frames));
    for (std::int64_t f = 0; f < frames; f += every) script[static_cast<std::size_t>(f)] = {static_cast<int>((f * 7) % vocabularySize)};
    return script;
}

ScriptedUnified::ScriptedUnified(const std::filesystem::path& folder, Script script, Options options,
                                 UnifiedEncoderPrecision precision) {
    auto record = record_;
    const auto before = tokensBefore(script);

    preprocessor = std::make_shared<FunctionBackend>(
        MLModelDescription::make({anyShape("audio_signal"), anyShape("audio_length", MLMultiArrayDataType::int32)},
                                 {anyShape("mel"), anyShape("mel_length", MLMultiArrayDataType::int32)}),
        [record, options](const MLFeatureProvider& inputs) {
            ++record->preprocessorCalls;
            const auto signal = inputArray(inputs, "audio_signal");
            const auto length = inputArray(inputs, "audio_length")[0].int32Value();
            {
                const std::lock_guard lock(record->mutex);
                record->audioLengths.push_back(length);
                record->signalSizes.push_back(signal.count());
            }
            Outputs outputs{{"mel_length", MLFeatureValue(int32Value(length))}};
            if (options.preprocessorGivesMel) outputs.emplace("mel", MLFeatureValue(signal));
            return outputs;
        });

    encoder = std::make_shared<FunctionBackend>(
        MLModelDescription::make({anyShape("mel"), anyShape("mel_length", MLMultiArrayDataType::int32)},
                                 {anyShape("encoder"), anyShape("encoder_length", MLMultiArrayDataType::int32)}),
        [record, options](const MLFeatureProvider& inputs) {
            ++record->encoderCalls;
            const auto mel = inputArray(inputs, "mel");
            const auto length = inputArray(inputs, "mel_length")[0].int32Value();
            const auto frames = (mel.count() + frameSamples - 1) / frameSamples;
            MLMultiArray encoded({1, 2, frames}, MLMultiArrayDataType::float32);
            const auto* audio = mel.dataPointer<float>();
            const float first = audio[0];
            for (std::int64_t t = 0; t < frames; ++t) {
                encoded[{0, 0, t}] = audio[t * frameSamples];
                encoded[{0, 1, t}] = first;
            }
            Outputs outputs{{"encoder_length",
                             MLFeatureValue(int32Value(static_cast<std::int32_t>((length + frameSamples - 1) / frameSamples)))}};
            if (options.encoderGivesOutput) outputs.emplace("encoder", MLFeatureValue(encoded));
            return outputs;
        });

    decoder = std::make_shared<FunctionBackend>(
        MLModelDescription::make({anyShape("targets", MLMultiArrayDataType::int32),
                                  anyShape("target_length", MLMultiArrayDataType::int32), anyShape("h_in"),
                                  anyShape("c_in")},
                                 {anyShape("decoder"), anyShape("h_out"), anyShape("c_out")}),
        [record, options](const MLFeatureProvider& inputs) {
            ++record->decoderCalls;
            const auto token = inputArray(inputs, "targets")[0].int32Value();
            auto h = inputArray(inputs, "h_in").clone();
            h[0] = h[0].doubleValue() + (token == blank ? 0 : 1);
            Outputs outputs{{"h_out", MLFeatureValue(h)}, {"c_out", MLFeatureValue(inputArray(inputs, "c_in").clone())}};
            if (options.decoderGivesOutput) {
                outputs.emplace("decoder", MLFeatureValue(floatValue(h[0].floatValue(), {1, 1, 1})));
            }
            return outputs;
        });

    joint = std::make_shared<FunctionBackend>(
        MLModelDescription::make({anyShape("encoder_step"), anyShape("decoder_step")},
                                 {anyShape("token_id", MLMultiArrayDataType::int32), anyShape("token_prob")}),
        [record, options, script, before](const MLFeatureProvider& inputs) {
            ++record->jointCalls;
            if (options.beforeJoint) options.beforeJoint();
            const auto step = inputArray(inputs, "encoder_step");
            const auto frameCode = std::lround(step[{0, 0, 0}].doubleValue());
            const auto windowStart = std::lround(step[{0, 1, 0}].doubleValue()) - 1;
            const auto emitted = std::lround(inputArray(inputs, "decoder_step")[0].doubleValue());
            std::int32_t token = blank;
            const auto frame = frameCode - 1;
            if (frame >= 0 && frame < static_cast<std::int64_t>(script.size())) {
                const auto base = options.countFromWindowStart ? before[static_cast<std::size_t>(windowStart)] : 0;
                const auto index = emitted + base - before[static_cast<std::size_t>(frame)];
                const auto& tokens = script[static_cast<std::size_t>(frame)];
                if (index >= 0 && index < static_cast<std::int64_t>(tokens.size())) token = tokens[static_cast<std::size_t>(index)];
            }
            Outputs outputs;
            if (options.jointGivesToken) outputs.emplace("token_id", MLFeatureValue(int32Value(token)));
            if (options.jointGivesProb) outputs.emplace("token_prob", MLFeatureValue(floatValue(0.75f)));
            return outputs;
        });

    namespace names = ModelNames::ParakeetUnified;
    const std::vector<std::pair<std::string, std::shared_ptr<platform::coreml::MLModelBackend>>> bundles{
        {std::string(names::preprocessorFile), preprocessor},
        {std::string(names::streamingEncoderFile(precision)), encoder},
        {std::string(names::offlineEncoderFile(precision)), encoder},
        {std::string(names::decoderFile), decoder},
        {std::string(names::jointDecisionFile), joint}};
    auto& registry = MLModelBackendRegistry::shared();
    for (const auto& [name, backend] : bundles) {
        const auto path = folder / name;
        platform::coreml::ScriptedModelBackend::writeCompiledModelFolder(path);
        registrations_.push_back(registry.registerBackend(
            MLModelBackendRegistry::forPath(path), [backend = backend, record](const auto&, const auto& configuration) {
                const std::lock_guard lock(record->mutex);
                record->loadConfigurations.push_back(configuration);
                return backend;
            }));
    }
    std::string vocabulary = "{";
    for (int id = 0; id < vocabularySize; ++id) {
        vocabulary += (id ? ", \"" : "\"") + std::to_string(id) + "\": \"\u2581w" + std::to_string(id) + "\"";
    }
    std::ofstream(folder / "vocab.json") << vocabulary + "}";
}

} // namespace razeziruzer::scriptedunified
