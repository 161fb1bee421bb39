// A small Nemotron model set written as real program bundles (no scripted
// backend): the recogniser loads it from a folder and streams audio through
// the model runtime, and the tokens are checked against the same networks
// and the same greedy search done here by plain loops. The networks keep the
// feature names and kinds the recogniser relies on and are tiny otherwise:
// two mel bands per 160-sample hop; an encoder that stacks eight window
// frames (the pre-encode frames included) into one step and adds its channel
// cache, which it replaces with the mean of its steps; a prediction network
// of one embedding and a tanh over each layer's state; a linear joint.

#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/StreamingNemotronAsrManager.hpp"
#include "tests/RazeziRuzer/ASR/Parakeet/Streaming/StreamingAudio.hpp"
#include "tests/Support/ModelBundleWriter.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>

namespace razeziruzer {
namespace {

using platform::coreml::mil::DataType;
using testsupport::ModelBundleWriter;

constexpr std::int64_t hop = 160;
constexpr std::int64_t newFrames = 56;      // 560 ms
constexpr std::int64_t cachedFrames = 9;
constexpr std::int64_t windowFrames = newFrames + cachedFrames;
constexpr std::int64_t chunkSamples = newFrames * hop;
constexpr std::int64_t bands = 2;
constexpr std::int64_t stack = 8;
constexpr std::int64_t steps = (windowFrames - 1) / stack;  // frames 1 ..< 65 make 8 steps
constexpr std::int64_t width = 4;
constexpr std::int64_t hidden = 3;
constexpr std::int64_t classes = 5;  // four tokens and the blank
constexpr int blank = 4;

struct Weights {
    std::vector<float> melW, melB, encW, encB, embedding, jointEncW, jointDecW, jointB;
};

std::vector<float> randomValues(std::uint32_t& seed, std::size_t count, float scale) {
    std::vector<float> values(count);
    for (auto& value : values) {
        seed = seed * 1664525u + 1013904223u;
        value = scale * (static_cast<float>(seed >> 8) / static_cast<float>(1u << 24) * 2.0f - 1.0f);
    }
    return values;
}

Weights makeWeights() {
    std::uint32_t seed = 20;
    Weights w;
    w.melW = randomValues(seed, bands * hop, 0.2f);
    w.melB = randomValues(seed, bands, 0.1f);
    w.encW = randomValues(seed, width * stack * bands, 0.8f);
    w.encB = randomValues(seed, width, 0.2f);
    w.embedding = randomValues(seed, classes * hidden, 1.0f);
    w.jointEncW = randomValues(seed, classes * width, 4.0f);
    w.jointDecW = randomValues(seed, classes * hidden, 2.0f);
    w.jointB = randomValues(seed, classes, 0.5f);
    // A blank that wins after most emissions, so frames yield one or two tokens.
    w.jointB[blank] += 1.5f;
    for (std::int64_t i = 0; i < hidden; ++i) w.jointDecW[blank * hidden + i] = 2.0f;
    return w;
}

const char* const header = testsupport::programHeader;

class ProgramText {
public:
    ProgramText(ModelBundleWriter& bundle, std::string signature) : bundle_(bundle), signature_(std::move(signature)) {}
    ProgramText& line(const std::string& text) {
        body_ += "        " + text + (text.ends_with("\n") ? "" : ";\n");
        return *this;
    }
    ProgramText& weights(const std::string& name, const std::vector<float>& values, const ModelBundleWriter::Shape& shape) {
        return line(bundle_.blobConstant(name, DataType::fp32, shape, values));
    }
    ProgramText& ints(const std::string& name, std::vector<std::int64_t> values) {
        return line(testsupport::intsConstant(name, values));
    }
    ProgramText& op(const std::string& result, const std::string& call) {
        const auto name = result.substr(result.rfind(' ') + 1);
        return line(result + " = " + call + "[name = string(\"" + name + "\")]");
    }
    std::string text(const std::string& outputs) const {
        return std::string(header) + "    func main<ios18>(" + signature_ + ") {\n" + body_ + "    } -> (" + outputs + ");\n}\n";
    }

private:
    ModelBundleWriter& bundle_;
    std::string signature_;
    std::string body_;
};

void writeBundles(const std::filesystem::path& folder, const Weights& w) {
    {
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
    {
        ModelBundleWriter bundle;
        ProgramText p(bundle, "tensor<fp32, [1, 2, 65]> mel, tensor<int32, [1]> mel_length, "
                              "tensor<fp32, [1, 4]> cache_channel, tensor<fp32, [1, 4]> cache_time, "
                              "tensor<int32, [1]> cache_len");
        p.ints("from", {0, 0, 1})
            .ints("to", {1, bands, windowFrames})
            .op("tensor<fp32, [1, 2, 64]> used", "slice_by_index(begin = from, end = to, x = mel)")
            .ints("time_major", {0, 2, 1})
            .op("tensor<fp32, [1, 64, 2]> frames", "transpose(perm = time_major, x = used)")
            .ints("step_shape", {1, steps, stack * bands})
            .op("tensor<fp32, [1, 8, 16]> stacked", "reshape(shape = step_shape, x = frames)")
            .weights("enc_w", w.encW, {width, stack * bands})
            .weights("enc_b", w.encB, {width})
            .op("tensor<fp32, [1, 8, 4]> projected", "linear(bias = enc_b, weight = enc_w, x = stacked)")
            .op("tensor<fp32, [1, 8, 4]> carried", "add(x = projected, y = cache_channel)")
            .op("tensor<fp32, [1, 8, 4]> activated", "tanh(x = carried)")
            .op("tensor<fp32, [1, 4, 8]> encoded", "transpose(perm = time_major, x = activated)")
            .ints("step_axis", {1})
            .line(testsupport::boolConstant("drop", false))
            .op("tensor<fp32, [1, 4]> cache_channel_out", "reduce_mean(axes = step_axis, keep_dims = drop, x = activated)")
            .line(testsupport::floatConstant("half", 0.5))
            .op("tensor<fp32, [1, 4]> cache_time_out", "mul(x = cache_time, y = half)")
            .line(testsupport::intConstant("one", 1))
            .op("tensor<int32, [1]> cache_len_out", "add(x = cache_len, y = one)");
        bundle.write(folder / "encoder/encoder_int8.mlmodelc", p.text("encoded, cache_channel_out, cache_time_out, cache_len_out"));
    }
    {
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
    {
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
    std::ofstream(folder / "tokenizer.json") << R"({"0": "▁a", "1": "b", "2": "▁c", "3": "d"})";
    std::ofstream(folder / "metadata.json")
        << R"({"mel_features": 2, "chunk_mel_frames": 56, "chunk_ms": 560, "pre_encode_cache": 9,
              "total_mel_frames": 65, "vocab_size": 4, "blank_idx": 4, "encoder_dim": 4, "decoder_hidden": 3,
              "decoder_layers": 2, "cache_channel_shape": [1, 4], "cache_time_shape": [1, 4]})";
}

// The same networks and search by plain loops.
std::vector<std::int64_t> referenceTokens(const Weights& w, std::vector<float> audio) {
    audio.resize((audio.size() + chunkSamples - 1) / chunkSamples * chunkSamples, 0.0f);
    std::vector<float> melCache(bands * cachedFrames, 0.0f);  // [band][frame]
    std::vector<float> channelCache(width, 0.0f);
    std::vector<float> h(2 * hidden, 0.0f);
    int token = blank;
    std::vector<std::int64_t> tokens;
    for (std::size_t start = 0; start < audio.size(); start += chunkSamples) {
        std::vector<float> window(bands * windowFrames, 0.0f);  // [band][frame]
        for (std::int64_t b = 0; b < bands; ++b) {
            for (std::int64_t f = 0; f < cachedFrames; ++f) window[b * windowFrames + f] = melCache[b * cachedFrames + f];
            for (std::int64_t f = 0; f < newFrames; ++f) {
                float sum = w.melB[b];
                for (std::int64_t k = 0; k < hop; ++k) sum += w.melW[b * hop + k] * audio[start + f * hop + k];
                window[b * windowFrames + cachedFrames + f] = sum;
            }
            for (std::int64_t f = 0; f < cachedFrames; ++f) {
                melCache[b * cachedFrames + f] = window[b * windowFrames + cachedFrames + newFrames - cachedFrames + f];
            }
        }
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
                step[o] = std::tanh(sum + channelCache[o]);
                mean[o] += step[o] / steps;
            }
            encoded.push_back(step);
        }
        channelCache = mean;
        for (const auto& e : encoded) {
            for (int symbols = 0; symbols < 10; ++symbols) {
                std::vector<float> next(2 * hidden);
                for (std::int64_t l = 0; l < 2; ++l) {
                    for (std::int64_t i = 0; i < hidden; ++i) {
                        next[l * hidden + i] = std::tanh(h[l * hidden + i] + w.embedding[std::min(token, blank) * hidden + i]);
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
                if (best == blank) break;
                tokens.push_back(best);
                token = best;
                h = next;
            }
        }
    }
    return tokens;
}

TEST(NemotronBundleTests, RealBundlesStreamToTheReferenceTokens) {
    testsupport::TemporaryDirectory folder;
    const auto weights = makeWeights();
    writeBundles(folder.path(), weights);
    StreamingNemotronAsrManager manager(std::nullopt, std::nullopt, [] { return true; });
    manager.loadModels(folder.path());
    EXPECT_EQ(manager.displayName(), "Nemotron 0.6B (560ms)");

    std::uint32_t seed = 7;
    const auto audio = randomValues(seed, 32000, 1.0f);  // 2 s: three chunks and a padded tail
    for (std::size_t start = 0; start < audio.size(); start += 5000) {
        const auto count = std::min<std::size_t>(5000, audio.size() - start);
        manager.appendAudio(streamingtest::pcmBuffer(std::span(audio).subspan(start, count)));
        manager.processBufferedAudio();
    }
    const auto [text, timings] = manager.finishWithTokenTimings();
    std::vector<std::int64_t> ids;
    for (const auto& timing : timings) ids.push_back(timing.tokenId);
    const auto expected = referenceTokens(weights, audio);
    EXPECT_EQ(ids, expected);
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(manager.processedChunks(), 4);
}

} // namespace
} // namespace razeziruzer
