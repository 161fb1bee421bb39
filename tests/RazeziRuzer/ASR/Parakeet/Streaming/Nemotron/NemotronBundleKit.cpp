#include "tests/RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NemotronBundleKit.hpp"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace razeziruzer::nemotronbundlekit {
namespace {

using platform::coreml::mil::DataType;
using testsupport::ModelBundleWriter;

// The search state carried from step to step: the last token and the prediction network's layers.
struct Decoding {
    int token = blank;
    std::vector<float> h = std::vector<float>(2 * hidden, 0.0f);
};

// One chunk's mel window [band][frame]: the cached frames, then the new ones; the cache keeps the last.
std::vector<float> melWindow(const Weights& w, const std::vector<float>& audio, std::size_t start,
                             std::vector<float>& melCache) {
    std::vector<float> window(bands * windowFrames, 0.0f);
    for (std::int64_t b = 0; b < bands; ++b) {
        for (std::int64_t f = 0; f < cachedFrames; ++f) window[b * windowFrames + f] = melCache[b * cachedFrames + f];
        for (std::int64_t f = 0; f < newFrames; ++f) {
            float sum = w.melB[b];
            for (std::int64_t k = 0; k < hop; ++k) sum += w.melW[b * hop + k] * audio[start + f * hop + k];
            window[b * windowFrames + cachedFrames + f] = sum;
        }
        for (std::int64_t f = 0; f < cachedFrames; ++f) {
            melCache[b * cachedFrames + f] = window[b * windowFrames + windowFrames - cachedFrames + f];
        }
    }
    return window;
}

std::vector<std::vector<float>> encodeWindow(const Weights& w, const std::vector<float>& window,
                                             const ReferenceOptions& options, std::vector<float>& channelCache) {
    std::vector<std::vector<float>> encoded;
    std::vector<float> mean(width, 0.0f);
    for (std::int64_t s = 0; s < steps; ++s) {
        std::vector<float> step(width);
        for (std::int64_t o = 0; o < width; ++o) {
            float sum = w.encB[o];
            for (std::int64_t i = 0; i < stack; ++i) {
                for (std::int64_t b = 0; b < bands; ++b) {
                    sum += w.encW[o * stack * bands + i * bands + b] * window[b * windowFrames + 1 + s * stack + i];
                }
            }
            if (options.prompt) sum += w.prompt[*options.prompt * width + o];
            step[o] = std::tanh(sum + channelCache[o]);
            mean[o] += step[o] / steps;
        }
        encoded.push_back(step);
    }
    if (options.carryCaches) channelCache = mean;
    return encoded;
}

// Emits the step's tokens (ten at the most) until the joint prefers the blank.
void decodeStep(const Weights& w, const std::vector<float>& e, Decoding& decoding, std::vector<std::int64_t>& tokens) {
    for (int symbols = 0; symbols < 10; ++symbols) {
        std::vector<float> next(2 * hidden);
        for (std::int64_t l = 0; l < 2; ++l) {
            for (std::int64_t i = 0; i < hidden; ++i) {
                next[l * hidden + i] =
                    std::tanh(decoding.h[l * hidden + i] + w.embedding[std::min(decoding.token, blank) * hidden + i]);
            }
        }
        int best = 0;
        float bestValue = 0;
        for (int c = 0; c < classes; ++c) {
            float value = w.jointB[c];
            for (std::int64_t i = 0; i < width; ++i) value += w.jointEncW[c * width + i] * e[i];
            for (std::int64_t i = 0; i < hidden; ++i) value += w.jointDecW[c * hidden + i] * next[hidden + i];
            if (c == 0 || value > bestValue) {
                best = c;
                bestValue = value;
            }
        }
        if (best == blank) return;
        tokens.push_back(best);
        decoding.token = best;
        decoding.h = next;
    }
}

} // namespace

std::vector<float> randomValues(std::uint32_t& seed, std::size_t count, float scale) {
    std::vector<float> values(count);
    for (auto& value : values) {
        seed = seed * 1664525u + 1013904223u;
        value = scale * (static_cast<float>(seed >> 8) / static_cast<float>(1u << 24) * 2.0f - 1.0f);
    }
    return values;
}

Weights makeWeights(std::uint32_t seed, std::int64_t prompts) {
    Weights w;
    w.melW = randomValues(seed, bands * hop, 0.2f);
    w.melB = randomValues(seed, bands, 0.1f);
    w.encW = randomValues(seed, width * stack * bands, 0.8f);
    w.encB = randomValues(seed, width, 0.2f);
    if (prompts > 0) w.prompt = randomValues(seed, static_cast<std::size_t>(prompts * width), 1.0f);
    w.embedding = randomValues(seed, classes * hidden, 1.0f);
    w.jointEncW = randomValues(seed, classes * width, 4.0f);
    w.jointDecW = randomValues(seed, classes * hidden, 2.0f);
    w.jointB = randomValues(seed, classes, 0.5f);
    // A blank that wins after most emissions, so frames yield one or two tokens.
    w.jointB[blank] += 1.5f;
    for (std::int64_t i = 0; i < hidden; ++i) w.jointDecW[blank * hidden + i] = 2.0f;
    return w;
}

ProgramText::ProgramText(ModelBundleWriter& bundle, std::string signature)
    : bundle_(bundle), signature_(std::move(signature)) {}

ProgramText& ProgramText::line(const std::string& text) {
    body_ += "        " + text + (text.ends_with("\n") ? "" : ";\n");
    return *this;
}

ProgramText& ProgramText::weights(const std::string& name, const std::vector<float>& values,
                                  const ModelBundleWriter::Shape& shape) {
    return line(bundle_.blobConstant(name, DataType::fp32, shape, values));
}

ProgramText& ProgramText::ints(const std::string& name, std::vector<std::int64_t> values) {
    return line(testsupport::intsConstant(name, values));
}

ProgramText& ProgramText::op(const std::string& result, const std::string& call) {
    const auto name = result.substr(result.rfind(' ') + 1);
    return line(result + " = " + call + "[name = string(\"" + name + "\")]");
}

std::string ProgramText::text(const std::string& outputs) const {
    return std::string(testsupport::programHeader) + "    func main<ios18>(" + signature_ + ") {\n" + body_ +
           "    } -> (" + outputs + ");\n}\n";
}

void stackSteps(ProgramText& p, const Weights& w) {
    p.ints("from", {0, 0, 1})
        .ints("to", {1, bands, windowFrames})
        .op("tensor<fp32, [1, 2, 64]> used", "slice_by_index(begin = from, end = to, x = mel)")
        .ints("time_major", {0, 2, 1})
        .op("tensor<fp32, [1, 64, 2]> frames", "transpose(perm = time_major, x = used)")
        .ints("step_shape", {1, steps, stack * bands})
        .op("tensor<fp32, [1, 8, 16]> stacked", "reshape(shape = step_shape, x = frames)")
        .weights("enc_w", w.encW, {width, stack * bands})
        .weights("enc_b", w.encB, {width})
        .op("tensor<fp32, [1, 8, 4]> projected", "linear(bias = enc_b, weight = enc_w, x = stacked)");
}

void updateCaches(ProgramText& p) {
    p.ints("step_axis", {1})
        .line(testsupport::boolConstant("drop", false))
        .op("tensor<fp32, [1, 4]> cache_channel_out", "reduce_mean(axes = step_axis, keep_dims = drop, x = activated)")
        .line(testsupport::floatConstant("half", 0.5))
        .op("tensor<fp32, [1, 4]> cache_time_out", "mul(x = cache_time, y = half)")
        .line(testsupport::intConstant("one", 1))
        .op("tensor<int32, [1]> cache_len_out", "add(x = cache_len, y = one)");
}

void writePreprocessor(const std::filesystem::path& folder, const Weights& w) {
    ModelBundleWriter bundle;
    ProgramText p(bundle, "tensor<fp32, [1, 8960]> audio, tensor<int32, [1]> audio_length");
    p.ints("hop_shape", {newFrames, hop})
        .op("tensor<fp32, [56, 160]> hops", "reshape(shape = hop_shape, x = audio)")
        .weights("mel_w", w.melW, {bands, hop})
        .weights("mel_b", w.melB, {bands})
        .op("tensor<fp32, [56, 2]> hop_bands", "linear(bias = mel_b, weight = mel_w, x = hops)")
        .ints("swap", {1, 0})
        .op("tensor<fp32, [2, 56]> rows", "transpose(perm = swap, x = hop_bands)")
        .ints("batch", {0})
        .op("tensor<fp32, [1, 2, 56]> mel", "expand_dims(axes = batch, x = rows)");
    bundle.write(folder / "preprocessor.mlmodelc", p.text("mel"));
}

void writeDecoder(const std::filesystem::path& folder, const Weights& w) {
    ModelBundleWriter bundle;
    ProgramText p(bundle, "tensor<int32, [1, 1]> token, tensor<int32, [1]> token_length, "
                          "tensor<fp32, [2, 1, 3]> h_in, tensor<fp32, [2, 1, 3]> c_in");
    p.line(testsupport::intConstant("blank_row", blank))
        .op("tensor<int32, [1, 1]> rows", "minimum(x = token, y = blank_row)")
        .weights("embedding", w.embedding, {classes, hidden})
        .line(testsupport::intConstant("zero", 0))
        .op("tensor<fp32, [1, 1, 3]> embedded", "gather(axis = zero, indices = rows, x = embedding)")
        .op("tensor<fp32, [2, 1, 3]> summed", "add(x = h_in, y = embedded)")
        .op("tensor<fp32, [2, 1, 3]> h_out", "tanh(x = summed)")
        .op("tensor<fp32, [2, 1, 3]> c_out", "add(x = c_in, y = h_out)")
        .ints("last_from", {1, 0, 0})
        .ints("last_to", {2, 1, hidden})
        .op("tensor<fp32, [1, 1, 3]> top", "slice_by_index(begin = last_from, end = last_to, x = h_out)")
        .ints("column", {1, hidden, 1})
        .op("tensor<fp32, [1, 3, 1]> decoder_out", "reshape(shape = column, x = top)");
    bundle.write(folder / "decoder.mlmodelc", p.text("decoder_out, h_out, c_out"));
}

void writeStepJoint(const std::filesystem::path& folder, const Weights& w) {
    ModelBundleWriter bundle;
    ProgramText p(bundle, "tensor<fp32, [1, 4, 1]> encoder, tensor<fp32, [1, 3, 1]> decoder");
    p.ints("enc_row", {1, width})
        .ints("dec_row", {1, hidden})
        .op("tensor<fp32, [1, 4]> enc", "reshape(shape = enc_row, x = encoder)")
        .op("tensor<fp32, [1, 3]> dec", "reshape(shape = dec_row, x = decoder)")
        .weights("enc_w", w.jointEncW, {classes, width})
        .weights("dec_w", w.jointDecW, {classes, hidden})
        .weights("joint_b", w.jointB, {classes})
        .weights("no_bias", std::vector<float>(classes, 0.0f), {classes})
        .op("tensor<fp32, [1, 5]> from_enc", "linear(bias = joint_b, weight = enc_w, x = enc)")
        .op("tensor<fp32, [1, 5]> from_dec", "linear(bias = no_bias, weight = dec_w, x = dec)")
        .op("tensor<fp32, [1, 5]> summed", "add(x = from_enc, y = from_dec)")
        .ints("logit_shape", {1, 1, 1, classes})
        .op("tensor<fp32, [1, 1, 1, 5]> logits", "reshape(shape = logit_shape, x = summed)");
    bundle.write(folder / "joint.mlmodelc", p.text("logits"));
}

void writeTokenizer(const std::filesystem::path& folder) {
    std::ofstream(folder / "tokenizer.json") << R"({"0": "▁a", "1": "b", "2": "▁c", "3": "d"})";
}

std::vector<std::int64_t> referenceTokens(const Weights& w, std::vector<float> audio, const ReferenceOptions& options) {
    audio.resize((audio.size() + chunkSamples - 1) / chunkSamples * chunkSamples, 0.0f);
    std::vector<float> melCache(bands * cachedFrames, 0.0f);
    std::vector<float> channelCache(width, 0.0f);
    Decoding decoding;
    std::vector<std::int64_t> tokens;
    for (std::size_t start = 0; start < audio.size(); start += chunkSamples) {
        const auto window = melWindow(w, audio, start, melCache);
        for (const auto& e : encodeWindow(w, window, options, channelCache)) decodeStep(w, e, decoding, tokens);
    }
    return tokens;
}

} // namespace razeziruzer::nemotronbundlekit
