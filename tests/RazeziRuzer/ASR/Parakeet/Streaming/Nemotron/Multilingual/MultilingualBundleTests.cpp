// A small multilingual model set written as real program bundles (no scripted
// backend): the recogniser loads it from a folder and streams audio through
// the model runtime, on the frame loop and on the speculative decode, and the
// tokens are checked against the same networks and greedy search done here by
// plain loops. The networks keep the feature names and kinds the recogniser
// relies on and are tiny otherwise: two mel bands per 160-sample hop; an
// encoder that stacks eight window frames into one step, adds the prompt's
// embedding and its channel cache (which it replaces with the mean of its
// steps), and widens each step to a 640-wide projection; a prediction network
// of one embedding and a tanh over each layer's state; linear joints over the
// step and over a window of projections.

#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/StreamingNemotronMultilingualAsrManager.hpp"
#include "tests/RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/Multilingual/MultilingualStream.hpp"
#include "tests/Support/ModelBundleWriter.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

namespace razeziruzer {
namespace {

using platform::coreml::mil::DataType;
using testsupport::ModelBundleWriter;

constexpr std::int64_t hop = 160;
constexpr std::int64_t newFrames = 56;
constexpr std::int64_t cachedFrames = 9;
constexpr std::int64_t windowFrames = newFrames + cachedFrames;
constexpr std::int64_t chunkSamples = newFrames * hop;
constexpr std::int64_t bands = 2;
constexpr std::int64_t stack = 8;
constexpr std::int64_t steps = (windowFrames - 1) / stack;
constexpr std::int64_t width = 4;
constexpr std::int64_t projWidth = 640;
constexpr std::int64_t hidden = 3;
constexpr std::int64_t classes = 5;
constexpr std::int64_t prompts = 3;
constexpr std::int64_t batchWindow = 3;
constexpr int blank = 4;

struct Weights {
    std::vector<float> melW, melB, encW, encB, prompt, widen, embedding, jointEncW, jointProjW, jointDecW, jointB;
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
    std::uint32_t seed = 31;
    Weights w;
    w.melW = randomValues(seed, bands * hop, 0.2f);
    w.melB = randomValues(seed, bands, 0.1f);
    w.encW = randomValues(seed, width * stack * bands, 0.8f);
    w.encB = randomValues(seed, width, 0.2f);
    w.prompt = randomValues(seed, prompts * width, 1.0f);
    // The projection is the step itself in its first four channels, zeros after.
    w.widen.assign(projWidth * width, 0.0f);
    for (std::int64_t i = 0; i < width; ++i) w.widen[i * width + i] = 1.0f;
    w.embedding = randomValues(seed, classes * hidden, 1.0f);
    w.jointEncW = randomValues(seed, classes * width, 4.0f);
    w.jointProjW.assign(classes * projWidth, 0.0f);
    for (std::int64_t c = 0; c < classes; ++c) {
        for (std::int64_t i = 0; i < width; ++i) w.jointProjW[c * projWidth + i] = w.jointEncW[c * width + i];
    }
    w.jointDecW = randomValues(seed, classes * hidden, 2.0f);
    w.jointB = randomValues(seed, classes, 0.5f);
    w.jointB[blank] += 1.5f;
    for (std::int64_t i = 0; i < hidden; ++i) w.jointDecW[blank * hidden + i] = 2.0f;
    return w;
}

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
        return std::string(testsupport::programHeader) + "    func main<ios18>(" + signature_ + ") {\n" + body_ +
               "    } -> (" + outputs + ");\n}\n";
    }

private:
    ModelBundleWriter& bundle_;
    std::string signature_;
    std::string body_;
};

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

void writeEncoder(const std::filesystem::path& folder, const Weights& w) {
    ModelBundleWriter bundle;
    ProgramText p(bundle, "tensor<fp32, [1, 2, 65]> mel, tensor<int32, [1]> mel_length, "
                          "tensor<fp32, [1, 4]> cache_channel, tensor<fp32, [1, 4]> cache_time, "
                          "tensor<int32, [1]> cache_len, tensor<int32, [1]> prompt_id");
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
        .weights("prompt_table", w.prompt, {prompts, width})
        .line(testsupport::intConstant("zero", 0))
        .op("tensor<fp32, [1, 4]> prompt", "gather(axis = zero, indices = prompt_id, x = prompt_table)")
        .op("tensor<fp32, [1, 8, 4]> prompted", "add(x = projected, y = prompt)")
        .op("tensor<fp32, [1, 8, 4]> carried", "add(x = prompted, y = cache_channel)")
        .op("tensor<fp32, [1, 8, 4]> activated", "tanh(x = carried)")
        .op("tensor<fp32, [1, 4, 8]> encoded", "transpose(perm = time_major, x = activated)")
        .weights("widen_w", w.widen, {projWidth, width})
        .weights("widen_b", std::vector<float>(projWidth, 0.0f), {projWidth})
        .op("tensor<fp32, [1, 8, 640]> encoder_proj", "linear(bias = widen_b, weight = widen_w, x = activated)")
        .ints("step_axis", {1})
        .line(testsupport::boolConstant("drop", false))
        .op("tensor<fp32, [1, 4]> cache_channel_out", "reduce_mean(axes = step_axis, keep_dims = drop, x = activated)")
        .line(testsupport::floatConstant("half", 0.5))
        .op("tensor<fp32, [1, 4]> cache_time_out", "mul(x = cache_time, y = half)")
        .line(testsupport::intConstant("one", 1))
        .op("tensor<int32, [1]> cache_len_out", "add(x = cache_len, y = one)");
    bundle.write(folder / "encoder.mlmodelc",
                 p.text("encoded, encoder_proj, cache_channel_out, cache_time_out, cache_len_out"));
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

void writeJoints(const std::filesystem::path& folder, const Weights& w) {
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
    ModelBundleWriter bundle;
    ProgramText p(bundle, "tensor<fp32, [1, 3, 640]> encoder_proj, tensor<fp32, [1, 3, 1]> decoder");
    p.ints("dec_row", {1, hidden})
        .op("tensor<fp32, [1, 3]> dec", "reshape(shape = dec_row, x = decoder)")
        .weights("proj_w", w.jointProjW, {classes, projWidth})
        .weights("dec_w", w.jointDecW, {classes, hidden})
        .weights("joint_b", w.jointB, {classes})
        .weights("no_bias", std::vector<float>(classes, 0.0f), {classes})
        .op("tensor<fp32, [1, 3, 5]> from_proj", "linear(bias = joint_b, weight = proj_w, x = encoder_proj)")
        .op("tensor<fp32, [1, 5]> from_dec", "linear(bias = no_bias, weight = dec_w, x = dec)")
        .op("tensor<fp32, [1, 3, 5]> summed", "add(x = from_proj, y = from_dec)")
        .ints("logit_shape", {1, batchWindow, 1, classes})
        .op("tensor<fp32, [1, 3, 1, 5]> logits", "reshape(shape = logit_shape, x = summed)");
    bundle.write(folder / "joint_noencproj_batched.mlmodelc", p.text("logits"));
}

void writeBundles(const std::filesystem::path& folder, const Weights& w, bool batched) {
    writePreprocessor(folder, w);
    writeEncoder(folder, w);
    writeDecoder(folder, w);
    writeJoints(folder, w);
    if (!batched) std::filesystem::remove_all(folder / "joint_noencproj_batched.mlmodelc");
    std::ofstream(folder / "tokenizer.json") << R"({"0": "▁a", "1": "b", "2": "▁c", "3": "d"})";
    std::ofstream(folder / "metadata.json")
        << R"({"mel_features": 2, "chunk_mel_frames": 56, "pre_encode_cache": 9, "vocab_size": 4, "encoder_dim": 4,
              "decoder_hidden": 3, "decoder_layers": 2, "cache_channel_shape": [1, 4], "cache_time_shape": [1, 4],
              "num_prompts": 3, "default_prompt_id": 0, "prompt_dictionary": {"en": 1, "de": 2}})";
}

// The same networks and greedy search by plain loops.
std::vector<std::int64_t> referenceTokens(const Weights& w, std::vector<float> audio, std::int64_t prompt,
                                          bool carryCaches) {
    audio.resize((audio.size() + chunkSamples - 1) / chunkSamples * chunkSamples, 0.0f);
    std::vector<float> melCache(bands * cachedFrames, 0.0f);
    std::vector<float> channelCache(width, 0.0f);
    std::vector<float> h(2 * hidden, 0.0f);
    int token = blank;
    std::vector<std::int64_t> tokens;
    for (std::size_t start = 0; start < audio.size(); start += chunkSamples) {
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
                step[o] = std::tanh(sum + w.prompt[prompt * width + o] + channelCache[o]);
                mean[o] += step[o] / steps;
            }
            encoded.push_back(step);
        }
        if (carryCaches) channelCache = mean;
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

TEST(MultilingualBundleTests, RealBundlesStreamToTheReferenceTokensOnBothDecodes) {
    const auto weights = makeWeights();
    std::uint32_t seed = 9;
    const auto audio = randomValues(seed, 40000, 1.0f);  // four chunks and a padded tail
    const auto expected = referenceTokens(weights, audio, 2, true);
    ASSERT_FALSE(expected.empty());
    // The carried encoder cache changes the tokens, so a recogniser that dropped it would fail.
    ASSERT_NE(expected, referenceTokens(weights, audio, 2, false));
    for (const bool batched : {false, true}) {
        SCOPED_TRACE(batched ? "speculative decode" : "frame loop");
        testsupport::TemporaryDirectory folder;
        writeBundles(folder.path(), weights, batched);
        StreamingNemotronMultilingualAsrManager manager(std::nullopt, multilingualkit::testDependencies());
        manager.loadModels(folder.path());
        manager.setLanguage("de");
        EXPECT_EQ(manager.jointNoEncProjBatchedK(), batched ? batchWindow : 8);
        for (std::size_t start = 0; start < audio.size(); start += 20000) {
            manager.process(std::span(audio).subspan(start, std::min<std::size_t>(20000, audio.size() - start)));
        }
        const auto [text, timings] = manager.finishWithTokenTimings();
        std::vector<std::int64_t> ids;
        for (const auto& timing : timings) ids.push_back(timing.tokenId);
        EXPECT_EQ(ids, expected);
        EXPECT_EQ(manager.lastDecodeStats().processedChunks, 5);
        EXPECT_EQ(manager.counters().specWindowsTotal > 0, batched);
    }
}

} // namespace
} // namespace razeziruzer
