#include "tests/RazeziRuzer/ASR/ScriptedParakeet/ScriptedParakeet.hpp"

#include "RazeziRuzer/ModelNames.hpp"
#include "tests/Support/FunctionModelBackend.hpp"

#include <cmath>

namespace razeziruzer::scriptedparakeet {
namespace {

using platform::coreml::MLFeatureDescription;
using platform::coreml::MLFeatureProvider;
using platform::coreml::MLFeatureValue;
using platform::coreml::MLModelDescription;
using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;
using FunctionBackend = testsupport::FunctionModelBackend;
using testsupport::anyShape;
using testsupport::inputArray;
using Outputs = std::map<std::string, MLFeatureValue>;

constexpr std::int64_t projectionSize = 640;

MLFeatureDescription fixed(const std::string& name, std::vector<std::int64_t> shape, MLMultiArrayDataType type) {
    return MLFeatureDescription::multiArray(name, std::move(shape), type);
}

MLMultiArray scalar(std::int64_t value) {
    MLMultiArray array({1}, MLMultiArrayDataType::int32);
    array[0] = static_cast<double>(value);
    return array;
}

// Per window frame: the coded token (-1 silent) and its ordinal among coded frames.
struct Frames {
    std::vector<int> tokens;
    std::vector<int> ordinals;
    int validFrames = 0;
};

Frames readFrames(const MLMultiArray& audio, std::int64_t audioLength) {
    const auto samples = audio.shape().back();
    const auto count = (samples + samplesPerFrame - 1) / samplesPerFrame;
    Frames frames;
    frames.validFrames = static_cast<int>(std::min<std::int64_t>(count, (audioLength + samplesPerFrame - 1) / samplesPerFrame));
    int ordinal = 0;
    for (std::int64_t f = 0; f < count; ++f) {
        const auto value = f < frames.validFrames ? audio[{0, f * samplesPerFrame}].doubleValue() : 0.0;
        const int token = static_cast<int>(std::lround(value / amplitudeStep)) - 1;
        frames.tokens.push_back(token);
        frames.ordinals.push_back(token >= 0 ? ++ordinal : 0);
    }
    return frames;
}

// Channels 0, 1, 2 of each frame: token + 1, ordinal, frame index.
MLMultiArray encoderFrames(const std::vector<float>& channels, std::int64_t frames, std::int64_t hidden,
                           bool hiddenFirst) {
    MLMultiArray encoder(hiddenFirst ? std::vector<std::int64_t>{1, hidden, frames}
                                     : std::vector<std::int64_t>{1, frames, hidden},
                         MLMultiArrayDataType::float32);
    for (std::int64_t f = 0; f < frames; ++f) {
        for (std::int64_t c = 0; c < 3; ++c) {
            const auto value = channels[static_cast<std::size_t>(c * frames + f)];
            if (hiddenFirst) {
                encoder[{0, c, f}] = value;
            } else {
                encoder[{0, f, c}] = value;
            }
        }
    }
    return encoder;
}

std::vector<float> melChannels(const Frames& frames) {
    const auto count = frames.tokens.size();
    std::vector<float> channels(3 * count, 0.0f);
    for (std::size_t f = 0; f < count; ++f) {
        channels[f] = static_cast<float>(frames.tokens[f] + 1);
        channels[count + f] = static_cast<float>(frames.ordinals[f]);
        channels[2 * count + f] = static_cast<float>(f);
    }
    return channels;
}

MLMultiArray topKArray(const std::vector<double>& values, MLMultiArrayDataType type, bool strided) {
    const auto k = static_cast<std::int64_t>(values.size());
    if (!strided) {
        MLMultiArray array({1, 1, k}, type);
        for (std::int64_t i = 0; i < k; ++i) array[i] = values[static_cast<std::size_t>(i)];
        return array;
    }
    auto storage = std::make_shared<std::vector<std::int32_t>>(static_cast<std::size_t>(2 * k + 1), 0);
    MLMultiArray array(storage->data(), {1, 1, k}, type, {2 * k, 2 * k, 2}, [storage](void*) {});
    for (std::int64_t i = 0; i < k; ++i) array[i] = values[static_cast<std::size_t>(i)];
    // The elements between the strided ones hold garbage a stride-blind reader would pick up.
    for (std::int64_t i = 0; i < k; ++i) (*storage)[static_cast<std::size_t>(2 * i + 1)] = -7;
    return array;
}

} // namespace

std::vector<float> codedAudio(const std::vector<int>& tokensPerFrame) {
    std::vector<float> audio;
    audio.reserve(tokensPerFrame.size() * samplesPerFrame);
    for (const int token : tokensPerFrame) {
        audio.insert(audio.end(), samplesPerFrame, static_cast<float>(token + 1) * amplitudeStep);
    }
    return audio;
}

MLMultiArray encoderOutput(const std::vector<int>& tokensPerFrame, std::int64_t hiddenSize, bool hiddenFirst) {
    Frames frames;
    int ordinal = 0;
    for (const int token : tokensPerFrame) {
        frames.tokens.push_back(token);
        frames.ordinals.push_back(token >= 0 ? ++ordinal : 0);
    }
    const auto count = static_cast<std::int64_t>(tokensPerFrame.size());
    return encoderFrames(melChannels(frames), count, hiddenSize, hiddenFirst);
}

Vocabulary ScriptedParakeet::vocabulary(int size) {
    Vocabulary vocabulary;
    for (int id = 0; id < size; ++id) vocabulary.emplace(id, "\u2581t" + std::to_string(id));
    return vocabulary;
}

std::string ScriptedParakeet::expectedText(const std::vector<int>& tokens) {
    std::string text;
    for (const int token : tokens) text += (text.empty() ? "t" : " t") + std::to_string(token);
    return text;
}

int ScriptedParakeet::blankId() const { return razeziruzer::blankId(options_.version); }

ScriptedParakeet::ScriptedParakeet(Options options) : options_(std::move(options)) {
    const auto version = options_.version;
    const std::int64_t hidden = encoderHiddenSize(version);
    const std::int64_t layers = decoderLayers(version);
    const bool hiddenFirst = options_.encoderHiddenFirst;
    const int blank = razeziruzer::blankId(version);
    auto counters = counters_;
    const auto hook = options_.onPreprocessor;

    const auto encoderOutputs = [hidden, hiddenFirst](const Frames& frames) {
        const auto count = static_cast<std::int64_t>(frames.tokens.size());
        return Outputs{{"encoder", MLFeatureValue(encoderFrames(melChannels(frames), count, hidden, hiddenFirst))},
                       {"encoder_length", MLFeatureValue(scalar(frames.validFrames))}};
    };
    const std::vector<MLFeatureDescription> preprocessorInputs{anyShape("audio_signal"),
                                                               fixed("audio_length", {1}, MLMultiArrayDataType::int32)};
    if (hasFusedEncoder(version)) {
        preprocessor = std::make_shared<FunctionBackend>(
            MLModelDescription::make(preprocessorInputs,
                                     {anyShape("encoder"), fixed("encoder_length", {1}, MLMultiArrayDataType::int32)}),
            [counters, encoderOutputs, hook](const MLFeatureProvider& in) {
                ++counters->preprocessor;
                if (hook) hook();
                const auto length = inputArray(in, "audio_length")[0].int32Value();
                counters->lastAudioLength = length;
                return encoderOutputs(readFrames(inputArray(in, "audio_signal"), length));
            });
    } else {
        preprocessor = std::make_shared<FunctionBackend>(
            MLModelDescription::make(preprocessorInputs,
                                     {anyShape("mel"), fixed("mel_length", {1}, MLMultiArrayDataType::int32)}),
            [counters, hook](const MLFeatureProvider& in) {
                ++counters->preprocessor;
                if (hook) hook();
                const auto length = inputArray(in, "audio_length")[0].int32Value();
                counters->lastAudioLength = length;
                const auto frames = readFrames(inputArray(in, "audio_signal"), length);
                const auto count = static_cast<std::int64_t>(frames.tokens.size());
                MLMultiArray mel({1, 3, count}, MLMultiArrayDataType::float32);
                const auto channels = melChannels(frames);
                for (std::int64_t i = 0; i < 3 * count; ++i) mel[i] = channels[static_cast<std::size_t>(i)];
                return Outputs{{"mel", MLFeatureValue(mel)}, {"mel_length", MLFeatureValue(scalar(frames.validFrames))}};
            });
        std::vector<MLFeatureDescription> encoderInputs{anyShape("mel"),
                                                        fixed("mel_length", {1}, MLMultiArrayDataType::int32)};
        for (const auto& name : options_.extraEncoderInputs) encoderInputs.push_back(anyShape(name, MLMultiArrayDataType::int32));
        encoder = std::make_shared<FunctionBackend>(
            MLModelDescription::make(encoderInputs,
                                     {anyShape("encoder"), fixed("encoder_length", {1}, MLMultiArrayDataType::int32)}),
            [counters, hidden, hiddenFirst](const MLFeatureProvider& in) {
                ++counters->encoder;
                const auto mel = inputArray(in, "mel");
                const auto count = mel.shape()[2];
                std::vector<float> channels(static_cast<std::size_t>(3 * count));
                for (std::int64_t i = 0; i < 3 * count; ++i) channels[static_cast<std::size_t>(i)] = mel[i].floatValue();
                return Outputs{{"encoder", MLFeatureValue(encoderFrames(channels, count, hidden, hiddenFirst))},
                               {"encoder_length", MLFeatureValue(scalar(inputArray(in, "mel_length")[0].int32Value()))}};
            });
    }

    const std::vector<std::int64_t> stateShape{layers, 1, projectionSize};
    const bool hiddenLast = options_.projectionHiddenLast;
    decoder = std::make_shared<FunctionBackend>(
        MLModelDescription::make({fixed("targets", {1, 1}, MLMultiArrayDataType::int32),
                                  fixed("target_length", {1}, MLMultiArrayDataType::int32),
                                  fixed("h_in", stateShape, MLMultiArrayDataType::float32),
                                  fixed("c_in", stateShape, MLMultiArrayDataType::float32)},
                                 {anyShape("decoder"), fixed("h_out", stateShape, MLMultiArrayDataType::float32),
                                  fixed("c_out", stateShape, MLMultiArrayDataType::float32)}),
        [counters, blank, hiddenLast](const MLFeatureProvider& in) {
            ++counters->decoder;
            const int token = inputArray(in, "targets")[0].int32Value();
            auto hidden = inputArray(in, "h_in").clone();
            hidden[0] = hidden[0].doubleValue() + (token == blank ? 0 : 1);
            hidden[1] = token;
            MLMultiArray projection(hiddenLast ? std::vector<std::int64_t>{1, 1, projectionSize}
                                               : std::vector<std::int64_t>{1, projectionSize, 1},
                                    MLMultiArrayDataType::float32);
            projection[0] = hidden[0].doubleValue();
            projection[1] = token;
            return Outputs{{"decoder", MLFeatureValue(projection)},
                           {"h_out", MLFeatureValue(hidden)},
                           {"c_out", MLFeatureValue(inputArray(in, "c_in").clone())}};
        });

    std::vector<MLFeatureDescription> jointOutputs{fixed("token_id", {1, 1, 1}, MLMultiArrayDataType::int32),
                                                   fixed("token_prob", {1, 1, 1}, MLMultiArrayDataType::float32),
                                                   fixed("duration", {1, 1, 1}, MLMultiArrayDataType::int32)};
    const int topK = options_.topK;
    if (topK > 0) {
        jointOutputs.push_back(anyShape("top_k_ids", MLMultiArrayDataType::int32));
        jointOutputs.push_back(anyShape("top_k_logits"));
    }
    auto rule = options_.joint;
    if (!rule) {
        rule = [blank](const JointQuery& query) {
            if (query.token >= 0 && query.ordinal > query.emittedCount) return JointAnswer{query.token, 0.9f, 1};
            return JointAnswer{blank, 0.95f, 1};
        };
    }
    const bool strided = options_.stridedTopK;
    joint = std::make_shared<FunctionBackend>(
        MLModelDescription::make({fixed("encoder_step", {1, hidden, 1}, MLMultiArrayDataType::float32),
                                  fixed("decoder_step", {1, projectionSize, 1}, MLMultiArrayDataType::float32)},
                                 jointOutputs),
        [counters, rule, topK, strided, blank](const MLFeatureProvider& in) {
            ++counters->joint;
            const auto step = inputArray(in, "encoder_step");
            const auto projection = inputArray(in, "decoder_step");
            counters->encoderStepStride = step.strides()[1];
            counters->decoderStepStride = projection.strides()[1];
            JointQuery query;
            query.token = static_cast<int>(std::lround(step[{0, 0, 0}].doubleValue())) - 1;
            query.ordinal = static_cast<int>(std::lround(step[{0, 1, 0}].doubleValue()));
            query.frame = static_cast<int>(std::lround(step[{0, 2, 0}].doubleValue()));
            query.emittedCount = static_cast<int>(std::lround(projection[{0, 0, 0}].doubleValue()));
            query.lastToken = static_cast<int>(std::lround(projection[{0, 1, 0}].doubleValue()));
            auto answer = rule(query);
            Outputs outputs{{"token_id", MLFeatureValue(MLMultiArray({1, 1, 1}, MLMultiArrayDataType::int32, answer.tokenId))},
                            {"token_prob", MLFeatureValue(MLMultiArray({1, 1, 1}, MLMultiArrayDataType::float32, answer.probability))},
                            {"duration", MLFeatureValue(MLMultiArray({1, 1, 1}, MLMultiArrayDataType::int32, answer.durationBin))}};
            if (topK > 0) {
                auto ids = answer.topKIds.value_or(std::vector<int>{answer.tokenId, blank});
                auto logits = answer.topKLogits.value_or(std::vector<float>{2.0f, 1.0f});
                outputs.emplace("top_k_ids", MLFeatureValue(topKArray(std::vector<double>(ids.begin(), ids.end()),
                                                                      MLMultiArrayDataType::int32, strided)));
                outputs.emplace("top_k_logits",
                                MLFeatureValue(topKArray(std::vector<double>(logits.begin(), logits.end()),
                                                         MLMultiArrayDataType::float32, strided)));
            }
            return outputs;
        });
}

AsrModels ScriptedParakeet::models(Vocabulary vocabulary) const {
    using platform::coreml::MLModel;
    std::optional<MLModel> encoderModel;
    if (encoder) encoderModel = MLModel(encoder);
    return AsrModels{encoderModel,         MLModel(preprocessor), MLModel(decoder), MLModel(joint), std::nullopt,
                     AsrModels::defaultConfiguration(), std::move(vocabulary), options_.version};
}

std::vector<platform::coreml::MLModelBackendRegistry::Registration> ScriptedParakeet::registerBackends() const {
    using platform::coreml::MLModelBackendRegistry;
    auto& registry = MLModelBackendRegistry::shared();
    std::vector<MLModelBackendRegistry::Registration> registrations;
    const auto add = [&](const std::string& fileName, std::shared_ptr<platform::coreml::MLModelBackend> backend) {
        if (!backend) return;
        registrations.push_back(registry.registerBackend(MLModelBackendRegistry::forFileName(fileName),
                                                         [backend](const auto&, const auto&) { return backend; }));
    };
    add(std::string(ModelNames::ASR::preprocessorFile), preprocessor);
    add(AsrModels::encoderFile(options_.version, ParakeetEncoderPrecision::int8), encoder);
    add(AsrModels::encoderFile(options_.version, ParakeetEncoderPrecision::int4), encoder);
    add(AsrModels::decoderFile(options_.version), decoder);
    add(AsrModels::jointFile(options_.version), joint);
    return registrations;
}

} // namespace razeziruzer::scriptedparakeet
