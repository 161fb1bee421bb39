// A v3 Parakeet model set written as real program bundles (no scripted
// backend): the recogniser loads it from a folder and transcribes a recording
// through the model runtime, and the tokens are checked against the same
// networks and the same greedy token-and-duration decoding done here by plain
// loops.
//
// The networks keep every name, type and shape the recogniser relies on (a
// 240,000-sample window, 1024-wide encoder frames, a two-layer 640-wide LSTM
// state) and are small everywhere else: the front end frames the window into
// 160-sample hops and projects each to 4 bands; the encoder stacks 8 hops into
// one 80 ms frame and projects it to 1024 channels; the prediction network
// embeds the token and runs two LSTM layers; the joint adds two projections,
// and its logits name four tokens, the blank and five duration classes.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrManager.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrModels.hpp"
#include "RazeziRuzer/DownloadUtils.hpp"
#include "tests/Support/ModelBundleWriter.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <numbers>
#include <span>
#include <string>
#include <vector>

namespace razeziruzer {
namespace {

using platform::coreml::MLFeatureDescription;
using platform::coreml::MLMultiArrayDataType;
using platform::coreml::mil::DataType;
using testsupport::ModelBundleWriter;
using Shape = ModelBundleWriter::Shape;

constexpr std::int64_t windowSamples = 240000;
constexpr std::int64_t hopSamples = 160;
constexpr std::int64_t paddedHops = 1504; // the window padded to whole encoder frames
constexpr std::int64_t bands = 4;
constexpr std::int64_t hopsPerFrame = 8;
constexpr std::int64_t encoderFrames = paddedHops / hopsPerFrame;
constexpr std::int64_t encoderWidth = 1024;
constexpr std::int64_t embeddingWidth = 8;
constexpr std::int64_t lstmWidth = 640;
constexpr std::int64_t gates = 4 * lstmWidth;
constexpr std::int64_t jointWidth = 16;
constexpr std::int64_t tokenClasses = 5; // four tokens and the blank
constexpr std::int64_t durationClasses = 5;
constexpr int blank = 8192;
const std::array<int, tokenClasses> classTokens{0, 1, 2, 3, blank};
const std::vector<std::string> pieces{"\u2581he", "llo", "\u2581wor", "ld"};

// ---------------------------------------------------------------------------
// Weights: uniform values from a fixed generator, rounded to half precision
// where the bundle stores them as fp16.

class Uniform {
public:
    explicit Uniform(std::uint32_t seed) : state_(seed * 2654435761u + 1) {}

    std::vector<float> values(std::size_t count, float scale) {
        std::vector<float> out(count);
        for (auto& value : out) value = scale * (2.0f * next() - 1.0f);
        return out;
    }

    std::vector<float> halfValues(std::size_t count, float scale) {
        auto out = values(count, scale);
        for (auto& value : out) value = static_cast<float>(static_cast<_Float16>(value));
        return out;
    }

private:
    float next() {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<float>(state_ >> 40) / static_cast<float>(1ull << 24);
    }

    std::uint64_t state_;
};

struct LstmLayer {
    std::vector<float> wIh, wHh, bias; // gates stacked input, forget, output, cell
};

struct Weights {
    std::vector<float> melW, melB, encW, encB, embedding;
    std::array<LstmLayer, 2> lstm;
    std::vector<float> jointEncW, jointEncB, jointDecW, jointDecB, outW, outB;
};

Weights makeWeights() {
    Uniform random(29);
    Weights w;
    w.melW = random.halfValues(bands * hopSamples, 0.15f);
    w.melB = random.halfValues(bands, 0.1f);
    w.encW = random.halfValues(encoderWidth * hopsPerFrame * bands, 0.6f);
    w.encB = random.halfValues(encoderWidth, 0.2f);
    w.embedding = random.values(tokenClasses * embeddingWidth, 1.0f);
    w.lstm[0] = {random.halfValues(gates * embeddingWidth, 0.3f), random.halfValues(gates * lstmWidth, 0.05f),
                 random.halfValues(gates, 0.1f)};
    w.lstm[1] = {random.halfValues(gates * lstmWidth, 0.08f), random.halfValues(gates * lstmWidth, 0.05f),
                 random.halfValues(gates, 0.1f)};
    w.jointEncW = random.halfValues(jointWidth * encoderWidth, 0.08f);
    w.jointEncB = random.halfValues(jointWidth, 0.1f);
    w.jointDecW = random.halfValues(jointWidth * lstmWidth, 0.2f);
    w.jointDecB = random.halfValues(jointWidth, 0.1f);
    // The duration rows weigh more than the token rows and the blank is
    // favoured a little, so that the recording holds blanks, every advance
    // from 0 to 4 and a few tokens flushed at its end.
    w.outW = random.halfValues(tokenClasses * jointWidth, 0.8f);
    const auto durationRows = random.halfValues(durationClasses * jointWidth, 2.4f);
    w.outW.insert(w.outW.end(), durationRows.begin(), durationRows.end());
    w.outB = random.halfValues(tokenClasses + durationClasses, 0.3f);
    w.outB[tokenClasses - 1] = static_cast<float>(static_cast<_Float16>(w.outB[tokenClasses - 1] + 0.5f));
    return w;
}

// ---------------------------------------------------------------------------
// The bundles.

const char* const header = testsupport::programHeader;

class ProgramText {
public:
    ProgramText(ModelBundleWriter& bundle, std::string signature) : bundle_(bundle), signature_(std::move(signature)) {}

    ProgramText& line(const std::string& text) {
        body_ += "        " + text + (text.ends_with("\n") ? "" : ";\n");
        return *this;
    }
    ProgramText& weights(const std::string& name, const std::vector<float>& values, const Shape& shape,
                         DataType type = DataType::fp16) {
        return line(bundle_.blobConstant(name, type, shape, values));
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

void writePreprocessor(const std::filesystem::path& folder, const Weights& w) {
    ModelBundleWriter bundle;
    ProgramText p(bundle, "tensor<fp32, [1, 240000]> audio_signal, tensor<int32, [1]> audio_length");
    p.ints("tail_pad", {0, 0, 0, paddedHops * hopSamples - windowSamples})
        .line(testsupport::textConstant("constant_mode", "constant"))
        .line(testsupport::floatConstant("silence", 0))
        .op("tensor<fp32, [1, 240640]> padded",
            "pad(constant_val = silence, mode = constant_mode, pad = tail_pad, x = audio_signal)")
        .ints("hop_shape", {paddedHops, hopSamples})
        .op("tensor<fp32, [1504, 160]> hops", "reshape(shape = hop_shape, x = padded)")
        .weights("mel_w", w.melW, {bands, hopSamples})
        .weights("mel_b", w.melB, {bands})
        .op("tensor<fp32, [1504, 4]> hop_bands", "linear(bias = mel_b, weight = mel_w, x = hops)")
        .ints("swap", {1, 0})
        .op("tensor<fp32, [4, 1504]> band_rows", "transpose(perm = swap, x = hop_bands)")
        .ints("batch_axis", {0})
        .op("tensor<fp32, [1, 4, 1504]> mel", "expand_dims(axes = batch_axis, x = band_rows)")
        .line(testsupport::intConstant("hop_round", hopSamples - 1))
        .line(testsupport::intConstant("hop", hopSamples))
        .op("tensor<int32, [1]> rounded_length", "add(x = audio_length, y = hop_round)")
        .op("tensor<int32, [1]> mel_length", "floor_div(x = rounded_length, y = hop)");
    bundle.write(folder, p.text("mel, mel_length"));
}

void writeEncoder(const std::filesystem::path& folder, const Weights& w) {
    ModelBundleWriter bundle;
    ProgramText p(bundle, "tensor<fp32, [1, 4, 1504]> mel, tensor<int32, [1]> mel_length");
    p.ints("time_major", {0, 2, 1})
        .op("tensor<fp32, [1, 1504, 4]> hop_rows", "transpose(perm = time_major, x = mel)")
        .ints("frame_shape", {1, encoderFrames, hopsPerFrame * bands})
        .op("tensor<fp32, [1, 188, 32]> stacked", "reshape(shape = frame_shape, x = hop_rows)")
        .weights("enc_w", w.encW, {encoderWidth, hopsPerFrame * bands})
        .weights("enc_b", w.encB, {encoderWidth})
        .op("tensor<fp32, [1, 188, 1024]> projected", "linear(bias = enc_b, weight = enc_w, x = stacked)")
        .op("tensor<fp32, [1, 188, 1024]> activated", "tanh(x = projected)")
        .op("tensor<fp32, [1, 1024, 188]> encoder", "transpose(perm = time_major, x = activated)")
        .line(testsupport::intConstant("stack_round", hopsPerFrame - 1))
        .line(testsupport::intConstant("stack", hopsPerFrame))
        .op("tensor<int32, [1]> rounded_length", "add(x = mel_length, y = stack_round)")
        .op("tensor<int32, [1]> encoder_length", "floor_div(x = rounded_length, y = stack)");
    bundle.write(folder, p.text("encoder, encoder_length"));
}

void writeDecoder(const std::filesystem::path& folder, const Weights& w) {
    ModelBundleWriter bundle;
    ProgramText p(bundle, "tensor<int32, [1, 1]> targets, tensor<int32, [1]> target_length, "
                          "tensor<fp32, [2, 1, 640]> h_in, tensor<fp32, [2, 1, 640]> c_in");
    // Token ids above the four real ones can only be the blank: its row is the last.
    p.line(testsupport::intConstant("blank_row", tokenClasses - 1))
        .op("tensor<int32, [1, 1]> rows", "minimum(x = targets, y = blank_row)")
        .weights("embedding", w.embedding, {tokenClasses, embeddingWidth}, DataType::fp32)
        .line(testsupport::intConstant("zero", 0))
        .op("tensor<fp32, [1, 1, 8]> embedded", "gather(axis = zero, indices = rows, x = embedding)")
        .ints("lead", {0})
        .line(testsupport::textConstant("forward", "forward"))
        .line(testsupport::textConstant("sigmoid", "sigmoid"))
        .line(testsupport::textConstant("tanh", "tanh"))
        .line(testsupport::boolConstant("sequence", true));
    std::string input = "embedded";
    for (int layer = 0; layer < 2; ++layer) {
        const auto l = std::to_string(layer);
        const auto& weights = w.lstm[static_cast<std::size_t>(layer)];
        p.ints("begin" + l, {layer, 0, 0}).ints("end" + l, {layer + 1, 1, lstmWidth});
        for (const std::string part : {"h", "c"}) {
            p.op("tensor<fp32, [1, 1, 640]> " + part + l + "_slice",
                 "slice_by_index(begin = begin" + l + ", end = end" + l + ", x = " + part + "_in)")
                .op("tensor<fp32, [1, 640]> " + part + l + "_start", "squeeze(axes = lead, x = " + part + l + "_slice)");
        }
        p.weights("w_ih" + l, weights.wIh, {gates, layer == 0 ? embeddingWidth : lstmWidth})
            .weights("w_hh" + l, weights.wHh, {gates, lstmWidth})
            .weights("bias" + l, weights.bias, {gates})
            .line("tensor<fp32, [1, 1, 640]> y" + l + ", tensor<fp32, [1, 640]> h" + l + ", tensor<fp32, [1, 640]> c" + l +
                  " = lstm(activation = tanh, bias = bias" + l + ", cell_activation = tanh, direction = forward, "
                  "initial_c = c" + l + "_start, initial_h = h" + l + "_start, output_sequence = sequence, "
                  "recurrent_activation = sigmoid, weight_hh = w_hh" + l + ", weight_ih = w_ih" + l + ", x = " + input +
                  ")[name = string(\"lstm" + l + "\")]");
        input = "y" + l;
    }
    p.op("tensor<fp32, [2, 1, 640]> h_out", "stack(axis = zero, values = (h0, h1))")
        .op("tensor<fp32, [2, 1, 640]> c_out", "stack(axis = zero, values = (c0, c1))")
        .ints("to_columns", {1, 2, 0})
        .op("tensor<fp32, [1, 640, 1]> decoder", "transpose(perm = to_columns, x = y1)");
    bundle.write(folder, p.text("decoder, h_out, c_out"));
}

void writeJoint(const std::filesystem::path& folder, const Weights& w) {
    ModelBundleWriter bundle;
    ProgramText p(bundle, "tensor<fp32, [1, 1024, 1]> encoder_step, tensor<fp32, [1, 640, 1]> decoder_step");
    p.ints("enc_row", {1, encoderWidth})
        .ints("dec_row", {1, lstmWidth})
        .op("tensor<fp32, [1, 1024]> enc", "reshape(shape = enc_row, x = encoder_step)")
        .op("tensor<fp32, [1, 640]> dec", "reshape(shape = dec_row, x = decoder_step)")
        .weights("joint_enc_w", w.jointEncW, {jointWidth, encoderWidth})
        .weights("joint_enc_b", w.jointEncB, {jointWidth})
        .weights("joint_dec_w", w.jointDecW, {jointWidth, lstmWidth})
        .weights("joint_dec_b", w.jointDecB, {jointWidth})
        .weights("out_w", w.outW, {tokenClasses + durationClasses, jointWidth})
        .weights("out_b", w.outB, {tokenClasses + durationClasses})
        .op("tensor<fp32, [1, 16]> enc_hidden", "linear(bias = joint_enc_b, weight = joint_enc_w, x = enc)")
        .op("tensor<fp32, [1, 16]> dec_hidden", "linear(bias = joint_dec_b, weight = joint_dec_w, x = dec)")
        .op("tensor<fp32, [1, 16]> summed", "add(x = enc_hidden, y = dec_hidden)")
        .op("tensor<fp32, [1, 16]> hidden", "relu(x = summed)")
        .op("tensor<fp32, [1, 10]> logits", "linear(bias = out_b, weight = out_w, x = hidden)")
        .ints("token_begin", {0, 0})
        .ints("token_end", {1, tokenClasses})
        .ints("duration_begin", {0, tokenClasses})
        .ints("duration_end", {1, tokenClasses + durationClasses})
        .op("tensor<fp32, [1, 5]> token_logits", "slice_by_index(begin = token_begin, end = token_end, x = logits)")
        .op("tensor<fp32, [1, 5]> duration_logits",
            "slice_by_index(begin = duration_begin, end = duration_end, x = logits)")
        .line(testsupport::intConstant("last", -1))
        .ints("last_axes", {-1})
        .line(testsupport::boolConstant("keep", true))
        .line(testsupport::intConstant("zero", 0))
        .op("tensor<fp32, [1, 5]> token_probs", "softmax(axis = last, x = token_logits)")
        .op("tensor<fp32, [1, 1]> best_prob", "reduce_max(axes = last_axes, keep_dims = keep, x = token_probs)")
        .op("tensor<int32, [1, 1]> best_class", "reduce_argmax(axis = last, keep_dims = keep, x = token_logits)")
        .ints("class_tokens", {classTokens.begin(), classTokens.end()})
        .op("tensor<int32, [1, 1]> best_token", "gather(axis = zero, indices = best_class, x = class_tokens)")
        .op("tensor<int32, [1, 1]> best_duration", "reduce_argmax(axis = last, keep_dims = keep, x = duration_logits)")
        .ints("single", {1, 1, 1})
        .op("tensor<int32, [1, 1, 1]> token_id", "reshape(shape = single, x = best_token)")
        .op("tensor<fp32, [1, 1, 1]> token_prob", "reshape(shape = single, x = best_prob)")
        .op("tensor<int32, [1, 1, 1]> duration", "reshape(shape = single, x = best_duration)");
    bundle.write(folder, p.text("token_id, token_prob, duration"));
}

// ---------------------------------------------------------------------------
// The same networks and the greedy decoding, by plain loops.

// y[o] = b[o] + sum_i w[o][i] * x[i]
std::vector<float> affine(const std::vector<float>& w, const std::vector<float>& b, const float* x, std::size_t in) {
    std::vector<float> y(b.size());
    for (std::size_t o = 0; o < y.size(); ++o) {
        double sum = b[o];
        for (std::size_t i = 0; i < in; ++i) sum += static_cast<double>(w[o * in + i]) * x[i];
        y[o] = static_cast<float>(sum);
    }
    return y;
}

float sigmoid(float v) { return 1.0f / (1.0f + std::exp(-v)); }

struct JointAnswer {
    int token = 0;
    float probability = 0;
    int durationClass = 0;
};

struct Hypothesis {
    std::vector<int> tokens, frames, durations;
    std::vector<float> confidences;
};

class Reference {
public:
    explicit Reference(const Weights& w) : w_(w) {}

    // The encoder frames of a window whose first samples are `audio`.
    std::vector<std::vector<float>> encode(const std::vector<float>& audio, int frames) const {
        std::vector<std::vector<float>> out;
        std::vector<float> hop(hopSamples);
        for (int f = 0; f < frames; ++f) {
            std::vector<float> stacked;
            for (std::int64_t h = 0; h < hopsPerFrame; ++h) {
                for (std::int64_t k = 0; k < hopSamples; ++k) {
                    const auto at = static_cast<std::size_t>((f * hopsPerFrame + h) * hopSamples + k);
                    hop[static_cast<std::size_t>(k)] = at < audio.size() ? audio[at] : 0.0f;
                }
                const auto hopBands = affine(w_.melW, w_.melB, hop.data(), hopSamples);
                stacked.insert(stacked.end(), hopBands.begin(), hopBands.end());
            }
            auto frame = affine(w_.encW, w_.encB, stacked.data(), stacked.size());
            for (auto& v : frame) v = std::tanh(v);
            out.push_back(std::move(frame));
        }
        return out;
    }

    // One prediction-network step: updates the LSTM state, returns the projection.
    std::vector<float> decoderStep(int token) {
        const auto row = static_cast<std::size_t>(std::min(token, static_cast<int>(tokenClasses) - 1));
        std::vector<float> x(w_.embedding.begin() + static_cast<std::ptrdiff_t>(row * embeddingWidth),
                             w_.embedding.begin() + static_cast<std::ptrdiff_t>((row + 1) * embeddingWidth));
        for (std::size_t layer = 0; layer < 2; ++layer) {
            const auto& weights = w_.lstm[layer];
            auto& h = h_[layer];
            auto& c = c_[layer];
            auto g = affine(weights.wIh, weights.bias, x.data(), x.size());
            const auto recurrent = affine(weights.wHh, std::vector<float>(gates, 0.0f), h.data(), lstmWidth);
            for (std::size_t i = 0; i < g.size(); ++i) g[i] += recurrent[i];
            for (std::size_t j = 0; j < lstmWidth; ++j) {
                c[j] = sigmoid(g[lstmWidth + j]) * c[j] + sigmoid(g[j]) * std::tanh(g[3 * lstmWidth + j]);
                h[j] = sigmoid(g[2 * lstmWidth + j]) * std::tanh(c[j]);
            }
            x = h;
        }
        return x;
    }

    JointAnswer joint(const std::vector<float>& frame, const std::vector<float>& projection) {
        auto hidden = affine(w_.jointEncW, w_.jointEncB, frame.data(), encoderWidth);
        const auto fromDecoder = affine(w_.jointDecW, w_.jointDecB, projection.data(), lstmWidth);
        for (std::size_t i = 0; i < hidden.size(); ++i) hidden[i] = std::max(hidden[i] + fromDecoder[i], 0.0f);
        const auto logits = affine(w_.outW, w_.outB, hidden.data(), jointWidth);
        const auto tokenEnd = logits.begin() + tokenClasses;
        const auto best = std::max_element(logits.begin(), tokenEnd);
        const auto bestDuration = std::max_element(tokenEnd, logits.end());
        double total = 0;
        for (auto it = logits.begin(); it != tokenEnd; ++it) total += std::exp(*it - *best);
        noteMargin(logits.begin(), tokenEnd, best);
        noteMargin(tokenEnd, logits.end(), bestDuration);
        return {classTokens[static_cast<std::size_t>(best - logits.begin())], static_cast<float>(1.0 / total),
                static_cast<int>(bestDuration - tokenEnd)};
    }

    // Greedy token-and-duration decoding of one last window from a fresh
    // state: the main loop and the flush at the end of the recording, with
    // duration classes mapping to advances 0 to 4.
    Hypothesis decode(const std::vector<std::vector<float>>& frames) {
        constexpr int maxSymbolsPerStep = 10;
        constexpr int consecutiveBlankLimit = 5;
        const int count = static_cast<int>(frames.size());
        Hypothesis hyp;
        auto projection = decoderStep(blank);
        const auto emit = [&](int token, int frame, int duration, float confidence) {
            hyp.tokens.push_back(token);
            hyp.frames.push_back(frame);
            hyp.durations.push_back(duration);
            hyp.confidences.push_back(confidence);
            projection = decoderStep(token);
        };
        int t = 0;
        int nextT = 0;
        int symbolsAtFrame = 0;
        int lastEmissionFrame = -1;
        while (t < count) {
            auto answer = joint(frames[static_cast<std::size_t>(t)], projection);
            int d = answer.durationClass;
            int skip = answer.token == blank ? std::max(d, 1)
                                             : (d != 0 ? d : (t == lastEmissionFrame && symbolsAtFrame > 0 ? 1 : 0));
            nextT = t + skip;
            while (answer.token == blank && nextT < count) {
                t = nextT;
                answer = joint(frames[static_cast<std::size_t>(t)], projection);
                d = answer.durationClass;
                skip = answer.token == blank ? std::max(d, 1) : d;
                nextT = t + skip;
            }
            if (answer.token != blank && nextT < count) {
                emit(answer.token, t, skip, answer.probability);
                if (t == lastEmissionFrame) {
                    ++symbolsAtFrame;
                } else {
                    symbolsAtFrame = 1;
                    lastEmissionFrame = t;
                }
                if (symbolsAtFrame >= maxSymbolsPerStep) {
                    nextT = std::min(nextT + 1, count - 1);
                    symbolsAtFrame = 0;
                    lastEmissionFrame = -1;
                }
            }
            t = nextT;
        }
        int cur = nextT;
        int blanks = 0;
        const int last = count - 1;
        for (int pass = 0; pass < maxSymbolsPerStep && blanks < consecutiveBlankLimit; ++pass) {
            const std::array<int, 3> candidates{std::min(last, cur), last, std::max(0, count - 2)};
            const auto answer = joint(frames[static_cast<std::size_t>(candidates[pass % 3])], projection);
            const int d = answer.durationClass;
            if (answer.token == blank) {
                ++blanks;
            } else {
                emit(answer.token, std::min(cur, last), d, answer.probability);
                blanks = 0;
            }
            cur = std::min(cur + std::max(d, 1), count);
        }
        return hyp;
    }

    // The smallest gap between the best and the second-best logit of any joint
    // call: a gap this small could let rounding decide a token.
    float smallestMargin() const { return smallestMargin_; }

private:
    template <typename It>
    void noteMargin(It begin, It end, It best) {
        for (auto it = begin; it != end; ++it) {
            if (it != best) smallestMargin_ = std::min(smallestMargin_, *best - *it);
        }
    }

    const Weights& w_;
    std::array<std::vector<float>, 2> h_{std::vector<float>(lstmWidth, 0.0f), std::vector<float>(lstmWidth, 0.0f)};
    std::array<std::vector<float>, 2> c_{std::vector<float>(lstmWidth, 0.0f), std::vector<float>(lstmWidth, 0.0f)};
    float smallestMargin_ = std::numeric_limits<float>::infinity();
};

// 1.5 s of audio: four tone bursts of different pitch and loudness over a
// little noise, so that the frames differ.
std::vector<float> recording() {
    constexpr std::size_t length = 24000;
    std::vector<float> audio(length);
    Uniform noise(99);
    const auto hiss = noise.values(length, 0.02f);
    const std::array<float, 4> pitches{220.0f, 540.0f, 1300.0f, 3100.0f};
    const std::array<float, 4> loudness{0.6f, 0.3f, 0.8f, 0.45f};
    for (std::size_t i = 0; i < length; ++i) {
        const auto burst = std::min<std::size_t>(i / 6000, 3);
        const auto seconds = static_cast<float>(i) / 16000.0f;
        audio[i] = loudness[burst] * std::sin(2.0f * std::numbers::pi_v<float> * pitches[burst] * seconds) + hiss[i];
    }
    return audio;
}

std::string textOf(const std::vector<int>& tokens) {
    std::string text;
    for (const int token : tokens) text += pieces[static_cast<std::size_t>(token)];
    std::string spaced;
    for (std::size_t at = 0; at < text.size();) {
        if (text.compare(at, 3, "\u2581") == 0) {
            spaced += ' ';
            at += 3;
        } else {
            spaced += text[at++];
        }
    }
    const auto first = spaced.find_first_not_of(' ');
    return first == std::string::npos ? "" : spaced.substr(first, spaced.find_last_not_of(' ') - first + 1);
}

class ParakeetBundlesEndToEnd : public ::testing::Test {
protected:
    ParakeetBundlesEndToEnd() {
        // A bundle the runtime rejects must fail here, not send the loader's
        // recovery to the network.
        DownloadUtils::enforceOffline = true;
        writePreprocessor(repository / "Preprocessor.mlmodelc", weights);
        writeEncoder(repository / "Encoder.mlmodelc", weights);
        writeDecoder(repository / "Decoder.mlmodelc", weights);
        writeJoint(repository / "JointDecisionv3.mlmodelc", weights);
        std::ofstream(repository / "parakeet_vocab.json") << nlohmann::json(pieces).dump();
    }
    ~ParakeetBundlesEndToEnd() override { DownloadUtils::enforceOffline = false; }

    AsrModels load() const {
        return AsrModels::load(repository, std::nullopt, AsrModelVersion::v3, ParakeetEncoderPrecision::int8);
    }

    testsupport::TemporaryDirectory folder;
    const std::filesystem::path repository = folder / "models" / "parakeet-tdt-0.6b-v3";
    const Weights weights = makeWeights();
};

TEST_F(ParakeetBundlesEndToEnd, LoadedModelsDescribeTheirPrograms) {
    const auto models = load();
    using Type = MLMultiArrayDataType;
    struct Case {
        std::string name;
        const platform::coreml::MLModel& model;
        std::vector<MLFeatureDescription> inputs;
        std::vector<MLFeatureDescription> outputs;
    };
    const auto array = [](const std::string& name, std::vector<std::int64_t> shape, Type type = Type::float32) {
        return MLFeatureDescription::multiArray(name, std::move(shape), type);
    };
    const std::vector<Case> cases{
        {"preprocessor", models.preprocessor,
         {array("audio_signal", {1, windowSamples}), array("audio_length", {1}, Type::int32)},
         {array("mel", {1, bands, paddedHops}), array("mel_length", {1}, Type::int32)}},
        {"encoder", *models.encoder,
         {array("mel", {1, bands, paddedHops}), array("mel_length", {1}, Type::int32)},
         {array("encoder", {1, encoderWidth, encoderFrames}), array("encoder_length", {1}, Type::int32)}},
        {"decoder", models.decoder,
         {array("targets", {1, 1}, Type::int32), array("target_length", {1}, Type::int32),
          array("h_in", {2, 1, lstmWidth}), array("c_in", {2, 1, lstmWidth})},
         {array("decoder", {1, lstmWidth, 1}), array("h_out", {2, 1, lstmWidth}), array("c_out", {2, 1, lstmWidth})}},
        {"joint", models.joint,
         {array("encoder_step", {1, encoderWidth, 1}), array("decoder_step", {1, lstmWidth, 1})},
         {array("token_id", {1, 1, 1}, Type::int32), array("token_prob", {1, 1, 1}),
          array("duration", {1, 1, 1}, Type::int32)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto& description = c.model.modelDescription();
        EXPECT_EQ(description.inputDescriptionsByName.size(), c.inputs.size());
        EXPECT_EQ(description.outputDescriptionsByName.size(), c.outputs.size());
        for (const auto& expected : c.inputs) {
            EXPECT_EQ(description.inputDescriptionsByName.at(expected.name), expected) << expected.name;
        }
        for (const auto& expected : c.outputs) {
            EXPECT_EQ(description.outputDescriptionsByName.at(expected.name), expected) << expected.name;
        }
    }
    EXPECT_EQ(models.vocabulary, (Vocabulary{{0, pieces[0]}, {1, pieces[1]}, {2, pieces[2]}, {3, pieces[3]}}));
}

TEST_F(ParakeetBundlesEndToEnd, TranscribesARecordingToTheTokensOfTheSameArithmetic) {
    const auto audio = recording();
    // 24,000 samples are aligned to 24,320 (19 encoder frames), the rest of the window is silence.
    constexpr int frames = 19;
    Reference reference(weights);
    const auto expected = reference.decode(reference.encode(audio, frames));
    ASSERT_GE(expected.tokens.size(), 4u) << "the fixture should say something";
    // What the fixture says: a leading blank, repeats at one frame (advance 0,
    // then 1), every advance from 0 to 4, and three tokens flushed at the end.
    ASSERT_EQ(expected.durations, (std::vector<int>{3, 2, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 4, 4, 4, 4}));
    ASSERT_EQ(expected.frames, (std::vector<int>{1, 4, 7, 7, 10, 10, 11, 11, 12, 12, 13, 13, 14, 18, 18, 18}));
    ASSERT_GT(reference.smallestMargin(), 1e-3f) << "the fixture leaves a decision to rounding";

    AsrManager manager(ASRConfig::default_(), load());
    auto state = TdtDecoderState::make(manager.decoderLayerCount());
    const auto result = manager.transcribe(std::span<const float>(audio), state);

    EXPECT_EQ(result.text, textOf(expected.tokens));
    EXPECT_EQ(result.text, "ldld wor wor wor wor wor wor wor wor wor world he he he");
    EXPECT_DOUBLE_EQ(result.duration, 1.5);
    ASSERT_TRUE(result.tokenTimings);
    ASSERT_EQ(result.tokenTimings->size(), expected.tokens.size());
    for (std::size_t i = 0; i < expected.tokens.size(); ++i) {
        SCOPED_TRACE("token " + std::to_string(i));
        EXPECT_EQ((*result.tokenTimings)[i].tokenId, expected.tokens[i]);
        EXPECT_NEAR((*result.tokenTimings)[i].confidence, expected.confidences[i], 1e-4f);
    }

    // The pass itself, for the frames and durations behind those tokens.
    auto fresh = TdtDecoderState::make(manager.decoderLayerCount());
    std::vector<float> window(audio);
    window.resize(static_cast<std::size_t>(windowSamples), 0.0f);
    const auto pass = manager.executeMLInferenceWithTimings(window, frames * 1280, std::nullopt, fresh, 0, true);
    EXPECT_EQ(pass.encoderSequenceLength, frames);
    EXPECT_EQ(pass.hypothesis.ySequence, expected.tokens);
    EXPECT_EQ(pass.hypothesis.timestamps, expected.frames);
    EXPECT_EQ(pass.hypothesis.tokenDurations, expected.durations);
}

} // namespace
} // namespace razeziruzer
