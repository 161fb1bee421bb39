#include "tests/RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/Multilingual/ScriptedMultilingualKit.hpp"

#include "Platform/CoreML/MLMultiArrayConstraint.hpp"
#include "tests/Support/FunctionModelBackend.hpp"

#include <cmath>
#include <fstream>

namespace razeziruzer::multilingualkit {
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
using testsupport::inputArray;
using Outputs = ScriptedModelBackend::Outputs;

constexpr std::int64_t melFeatures = 2;
constexpr std::int64_t preEncodeCache = 9;
constexpr std::int64_t encoderDim = 4;
constexpr std::int64_t decoderHidden = 3;
constexpr std::int64_t classes = blankId + 1;
const std::vector<std::int64_t> stateShape{2, 1, decoderHidden};

MLFeatureDescription fixed(const std::string& name, std::vector<std::int64_t> shape,
                           MLMultiArrayDataType type = MLMultiArrayDataType::float32) {
    return MLFeatureDescription::multiArray(name, std::move(shape), type);
}

double first(const MLFeatureProvider& inputs, const char* name) { return inputArray(inputs, name)[0].doubleValue(); }

MLMultiArray advanced(const MLMultiArray& state) {
    auto next = state.clone();
    next[0] = state[0].doubleValue() + 1;
    return next;
}

void writeFile(const std::filesystem::path& path, const std::string& contents) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << contents;
}

} // namespace

std::vector<int> Script::allTokens() const {
    std::vector<int> tokens;
    for (const auto& frame : tokensPerFrame) tokens.insert(tokens.end(), frame.begin(), frame.end());
    return tokens;
}

int Script::choose(std::int64_t frame, std::int64_t emissions, std::int64_t fed, bool statesAgree) const {
    const auto done = emissions - initialEmissions;
    std::int64_t before = 0;
    for (std::int64_t g = 0; g < frame && g < static_cast<std::int64_t>(tokensPerFrame.size()); ++g) {
        before += static_cast<std::int64_t>(tokensPerFrame[g].size());
    }
    const auto here = frame >= 0 && frame < static_cast<std::int64_t>(tokensPerFrame.size())
                          ? tokensPerFrame[frame]
                          : std::vector<int>{};
    const auto all = allTokens();
    if (done < 0 || done > static_cast<std::int64_t>(all.size())) return errorToken;
    const std::int64_t expectedFed = done == 0 ? initialToken : all[done - 1];
    if (!statesAgree || fed != expectedFed || done < before || done > before + static_cast<std::int64_t>(here.size())) {
        return errorToken;
    }
    return done < before + static_cast<std::int64_t>(here.size()) ? here[done - before] : blankId;
}

void ScriptedMultilingualKit::setScript(Script script) {
    const std::lock_guard lock(control_->mutex);
    control_->script = std::move(script);
}

std::size_t ScriptedMultilingualKit::calls(const std::string& model) const {
    const auto found = backends_.find(model);
    return found == backends_.end() ? 0 : found->second->callCount();
}

std::shared_ptr<ScriptedModelBackend> ScriptedMultilingualKit::backend(const std::string& model) const {
    return backends_.at(model);
}

void ScriptedMultilingualKit::add(const std::string& name, std::shared_ptr<ScriptedModelBackend> backend) {
    const auto path = folder_ / (name + ".mlmodelc");
    ScriptedModelBackend::writeCompiledModelFolder(path);
    registrations_.push_back(MLModelBackendRegistry::shared().registerBackend(
        MLModelBackendRegistry::forPath(path), [backend](const auto&, const auto&) { return backend; }));
    backends_.emplace(name, std::move(backend));
}

ScriptedMultilingualKit::ScriptedMultilingualKit(const std::filesystem::path& folder, KitOptions options)
    : folder_(folder), options_(std::move(options)), control_(std::make_shared<KitControl>()) {
    const auto control = control_;
    const bool flexible = options_.flexibleOutputs;
    const auto out = [flexible](const std::string& name, std::vector<std::int64_t> shape,
                                MLMultiArrayDataType type = MLMultiArrayDataType::float32) {
        return flexible ? MLFeatureDescription::multiArray(name, platform::coreml::MLMultiArrayConstraint{{}, type, {}})
                        : fixed(name, std::move(shape), type);
    };
    const auto floats = options_.halfPrecisionOutputs ? MLMultiArrayDataType::float16 : MLMultiArrayDataType::float32;
    const std::int64_t frames = options_.chunkMelFrames / 8;
    const std::int64_t window = options_.batchWindow;
    const bool withProj = options_.encoderProj;
    const std::int64_t width = options_.encoderProjWidth;

    // Runs the test's hook, then answers with the outputs not dropped.
    const auto answer = [control](const std::string& model, const std::function<Outputs()>& body) {
        std::function<void(const std::string&)> hook;
        {
            const std::lock_guard lock(control->mutex);
            hook = control->beforeCall;
        }
        if (hook) hook(model);
        auto outputs = body();
        const std::lock_guard lock(control->mutex);
        for (auto it = outputs.begin(); it != outputs.end();) {
            it = control->droppedOutputs.contains(model + ":" + it->first) ? outputs.erase(it) : std::next(it);
        }
        return outputs;
    };
    const auto rule = [control](std::int64_t frame, std::int64_t emissions, std::int64_t fed, bool agree) {
        const std::lock_guard lock(control->mutex);
        return control->script.choose(frame, emissions, fed, agree);
    };
    const auto oneHot = [floats](std::vector<std::int64_t> shape, const std::vector<int>& perRow) {
        MLMultiArray logits(std::move(shape), floats, 0.0);
        for (std::size_t row = 0; row < perRow.size(); ++row) logits[static_cast<std::int64_t>(row) * classes + perRow[row]] = 1.0;
        return logits;
    };

    add("preprocessor", std::make_shared<ScriptedModelBackend>(
        MLModelDescription::make({fixed("audio", {1, chunkSamples()}), fixed("audio_length", {1}, MLMultiArrayDataType::int32)},
                                 {out("mel", {1, melFeatures, options_.chunkMelFrames})}),
        [answer, mels = options_.chunkMelFrames](const MLFeatureProvider& inputs, MLState*) {
            return answer("preprocessor", [&] {
                const auto audio = inputArray(inputs, "audio");
                MLMultiArray mel({1, melFeatures, mels}, MLMultiArrayDataType::float32);
                for (std::int64_t f = 0; f < mels; ++f) mel[{0, 0, f}] = audio[{0, f * 160}].doubleValue();
                return Outputs{{"mel", MLFeatureValue(mel)}};
            });
        }));

    const auto total = options_.chunkMelFrames + preEncodeCache;
    std::vector<MLFeatureDescription> encoderInputs{fixed("mel", {1, melFeatures, total}),
                                                    fixed("mel_length", {1}, MLMultiArrayDataType::int32),
                                                    fixed("cache_len", {1}, MLMultiArrayDataType::int32),
                                                    fixed("prompt_id", {1}, MLMultiArrayDataType::int32)};
    std::vector<MLFeatureDescription> encoderOutputs{out("encoded", {1, encoderDim, frames}, floats),
                                                     fixed("cache_len_out", {1}, MLMultiArrayDataType::int32)};
    if (withProj) encoderOutputs.push_back(out("encoder_proj", {1, frames, width}, floats));
    std::vector<MLFeatureDescription> encoderStates;
    if (options_.statefulEncoder) {
        encoderStates.push_back(MLFeatureDescription::state("cache", {1, 2}, MLMultiArrayDataType::float32));
    } else {
        encoderInputs.push_back(fixed("cache_channel", {1, 2}));
        encoderInputs.push_back(fixed("cache_time", {1, 2}));
        encoderOutputs.push_back(fixed("cache_channel_out", {1, 2}));
        encoderOutputs.push_back(fixed("cache_time_out", {1, 2}));
    }
    auto encoder = std::make_shared<ScriptedModelBackend>(
        MLModelDescription::make(encoderInputs, encoderOutputs, encoderStates),
        [answer, floats, frames, withProj, width](const MLFeatureProvider& inputs, MLState* state) {
            return answer("encoder", [&] {
                const auto melWindow = inputArray(inputs, "mel");
                double count = 0;
                if (state) {
                    count = state->multiArray("cache")[0].doubleValue();
                } else {
                    count = first(inputs, "cache_channel");
                    // A time cache out of step with the channel cache breaks the numbering.
                    if (first(inputs, "cache_time") != count) count += 1000;
                }
                MLMultiArray encoded({1, encoderDim, frames}, floats, 0.0);
                MLMultiArray proj({1, frames, width}, floats, 0.0);
                for (std::int64_t t = 0; t < frames; ++t) {
                    encoded[{0, 0, t}] = count + static_cast<double>(t);
                    encoded[{0, 1, t}] = first(inputs, "prompt_id");
                    encoded[{0, 2, t}] = melWindow[{0, 0, preEncodeCache + 8 * t}].doubleValue();
                    proj[{0, t, 0}] = count + static_cast<double>(t);
                }
                const double after = count + static_cast<double>(frames);
                Outputs outputs{{"encoded", MLFeatureValue(encoded)},
                                {"cache_len_out", MLFeatureValue(advanced(inputArray(inputs, "cache_len")))}};
                if (withProj) outputs.emplace("encoder_proj", MLFeatureValue(proj));
                if (state) {
                    state->multiArray("cache")[0] = after;
                } else {
                    MLMultiArray channel({1, 2}, MLMultiArrayDataType::float32, after);
                    outputs.emplace("cache_channel_out", MLFeatureValue(channel));
                    outputs.emplace("cache_time_out", MLFeatureValue(channel.clone()));
                }
                return outputs;
            });
        });
    if (options_.statefulEncoder) {
        encoder->setStateFactory([] { return MLState({{"cache", MLMultiArray({1, 2}, MLMultiArrayDataType::float32)}}); });
    }
    add("encoder", encoder);

    const std::vector<MLFeatureDescription> stepInputs{
        fixed("token", {1, 1}, MLMultiArrayDataType::int32), fixed("token_length", {1}, MLMultiArrayDataType::int32),
        fixed("h_in", stateShape), fixed("c_in", stateShape)};
    const std::vector<MLFeatureDescription> stateOutputs{fixed("h_out", stateShape), fixed("c_out", stateShape)};
    const auto withInput = [&](MLFeatureDescription extra) {
        auto inputs = stepInputs;
        inputs.push_back(std::move(extra));
        return inputs;
    };
    const auto withOutput = [&](MLFeatureDescription extra) {
        auto outputs = stateOutputs;
        outputs.push_back(std::move(extra));
        return outputs;
    };
    // The decoder state's answer: emissions counted in both states.
    const auto stateAnswer = [](const MLFeatureProvider& inputs) {
        return Outputs{{"h_out", MLFeatureValue(advanced(inputArray(inputs, "h_in")))},
                       {"c_out", MLFeatureValue(advanced(inputArray(inputs, "c_in")))}};
    };
    const auto decided = [rule](const MLFeatureProvider& inputs, std::int64_t frame) {
        const auto h = first(inputs, "h_in");
        return rule(frame, std::llround(h), std::llround(first(inputs, "token")), h == first(inputs, "c_in"));
    };

    if (options_.decoder) {
        add("decoder", std::make_shared<ScriptedModelBackend>(
            MLModelDescription::make(stepInputs, withOutput(out("decoder_out", {1, decoderHidden, 1}))),
            [answer, stateAnswer](const MLFeatureProvider& inputs, MLState*) {
                return answer("decoder", [&] {
                    auto outputs = stateAnswer(inputs);
                    MLMultiArray decoderOut({1, decoderHidden, 1}, MLMultiArrayDataType::float32);
                    decoderOut[0] = first(inputs, "h_in");
                    decoderOut[1] = first(inputs, "token");
                    decoderOut[2] = first(inputs, "c_in");
                    outputs.emplace("decoder_out", MLFeatureValue(decoderOut));
                    return outputs;
                });
            }));
    }
    // Reads the rule's inputs from the decoder slice [e, fed token, c].
    const auto fromSlice = [rule](const MLMultiArray& slice, std::int64_t frame) {
        const auto e = slice[0].doubleValue();
        return rule(frame, std::llround(e), std::llround(slice[1].doubleValue()), e == slice[2].doubleValue());
    };
    if (options_.joint) {
        add("joint", std::make_shared<ScriptedModelBackend>(
            MLModelDescription::make({fixed("encoder", {1, encoderDim, 1}), fixed("decoder", {1, decoderHidden, 1})},
                                     {out("logits", {1, 1, 1, classes}, floats)}),
            [answer, fromSlice, oneHot](const MLFeatureProvider& inputs, MLState*) {
                return answer("joint", [&] {
                    const auto frame = std::llround(first(inputs, "encoder"));
                    return Outputs{{"logits", MLFeatureValue(oneHot({1, 1, 1, classes}, {fromSlice(inputArray(inputs, "decoder"), frame)}))}};
                });
            }));
    }
    if (options_.decoderJoint) {
        add("decoder_joint", std::make_shared<ScriptedModelBackend>(
            MLModelDescription::make(withInput(fixed("encoder", {1, encoderDim, 1})),
                                     withOutput(out("logits", {1, 1, 1, classes}, floats))),
            [answer, stateAnswer, decided, oneHot](const MLFeatureProvider& inputs, MLState*) {
                return answer("decoder_joint", [&] {
                    auto outputs = stateAnswer(inputs);
                    const auto token = decided(inputs, std::llround(first(inputs, "encoder")));
                    outputs.emplace("logits", MLFeatureValue(oneHot({1, 1, 1, classes}, {token})));
                    return outputs;
                });
            }));
    }
    if (options_.decoderJointArgmax) {
        add("decoder_joint_argmax", std::make_shared<ScriptedModelBackend>(
            MLModelDescription::make(withInput(fixed("encoder", {1, encoderDim, 1})),
                                     withOutput(options_.emptyTokenId
                                                    ? MLFeatureDescription::multiArray("token_id", platform::coreml::MLMultiArrayConstraint{{}, MLMultiArrayDataType::int32, {}})
                                                    : out("token_id", {1}, MLMultiArrayDataType::int32))),
            [answer, stateAnswer, decided, empty = options_.emptyTokenId](const MLFeatureProvider& inputs, MLState*) {
                return answer("decoder_joint_argmax", [&] {
                    auto outputs = stateAnswer(inputs);
                    MLMultiArray id({empty ? 0 : 1}, MLMultiArrayDataType::int32,
                                    decided(inputs, std::llround(first(inputs, "encoder"))));
                    outputs.emplace("token_id", MLFeatureValue(id));
                    return outputs;
                });
            }));
    }
    if (options_.decoderJointNoEncProj) {
        add("decoder_joint_noencproj", std::make_shared<ScriptedModelBackend>(
            MLModelDescription::make(withInput(fixed("encoder_proj", {1, 1, width})),
                                     withOutput(out("logits", {1, 1, 1, classes}, floats))),
            [answer, stateAnswer, decided, oneHot](const MLFeatureProvider& inputs, MLState*) {
                return answer("decoder_joint_noencproj", [&] {
                    auto outputs = stateAnswer(inputs);
                    const auto token = decided(inputs, std::llround(first(inputs, "encoder_proj")));
                    outputs.emplace("logits", MLFeatureValue(oneHot({1, 1, 1, classes}, {token})));
                    return outputs;
                });
            }));
    }
    if (options_.jointBatched) {
        add("joint_noencproj_batched", std::make_shared<ScriptedModelBackend>(
            MLModelDescription::make({fixed("encoder_proj", {1, window, projWidth}), fixed("decoder", {1, decoderHidden, 1})},
                                     {out("logits", {1, window, 1, classes}, floats)}),
            [answer, fromSlice, oneHot, window](const MLFeatureProvider& inputs, MLState*) {
                return answer("joint_noencproj_batched", [&] {
                    const auto proj = inputArray(inputs, "encoder_proj");
                    const auto slice = inputArray(inputs, "decoder");
                    std::vector<int> rows;
                    for (std::int64_t j = 0; j < window; ++j) rows.push_back(fromSlice(slice, std::llround(proj[{0, j, 0}].doubleValue())));
                    return Outputs{{"logits", MLFeatureValue(oneHot({1, window, 1, classes}, rows))}};
                });
            }));
    }

    std::string vocabulary = "{";
    for (int id = 0; id < wordCount; ++id) vocabulary += "\"" + std::to_string(id) + "\": \"\u2581w" + std::to_string(id) + "\", ";
    vocabulary += "\"20\": \"<en>\", \"21\": \"<de>\", \"22\": \"auto\", \"23\": \"\u2581ERR\"}";
    writeFile(folder_ / "tokenizer.json", vocabulary);
    std::string metadata = "{\"chunk_mel_frames\": " + std::to_string(options_.chunkMelFrames) +
                           ", \"mel_features\": 2, \"pre_encode_cache\": 9, \"vocab_size\": 24, \"encoder_dim\": 4,"
                           " \"decoder_hidden\": 3, \"decoder_layers\": 2, \"cache_channel_shape\": [1, 2],"
                           " \"cache_time_shape\": [1, 2], \"default_prompt_id\": 7,"
                           " \"prompt_dictionary\": {\"en\": 1, \"de\": 2, \"auto\": 7},"
                           " \"lang_tag_token_ids\": [20, 21, 22]";
    if (!options_.extraMetadata.empty()) metadata += ", " + options_.extraMetadata;
    writeFile(folder_ / "metadata.json", metadata + "}");
}

} // namespace razeziruzer::multilingualkit
