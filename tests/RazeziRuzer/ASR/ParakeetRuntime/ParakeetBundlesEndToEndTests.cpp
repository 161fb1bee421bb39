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
//
// The front end comes fixed (the whole window, always) or flexible: the
// preprocessor and the encoder may declare a list of shorter lengths, which
// the recogniser must use without changing a token.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrManager.hpp"
#include "Platform/Accel/Float16.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrModels.hpp"
#include "RazeziRuzer/DownloadUtils.hpp"
#include "tests/Support/ParakeetBundles/ModelCallRecorder.hpp"
#include "tests/Support/ParakeetBundles/PredictionBundles.hpp"
#include "tests/Support/ParakeetBundles/SeededUniform.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <limits>
#include <numbers>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace razeziruzer {
namespace {

using platform::coreml::MLFeatureDescription;
using platform::coreml::MLMultiArrayDataType;
using testsupport::ModelBundleWriter;
using testsupport::parakeet::DataType;
using testsupport::parakeet::ModelCallRecorder;
using testsupport::parakeet::ProgramBuilder;
using testsupport::parakeet::Shape;
using testsupport::parakeet::typeText;
using Uniform = testsupport::parakeet::SeededUniform;

constexpr std::int64_t windowSamples = 240000;
constexpr std::int64_t hopSamples = 160;
constexpr std::int64_t paddedHops = 1504; // the window padded to whole encoder frames
constexpr std::int64_t tailPadding = paddedHops * hopSamples - windowSamples;
constexpr std::int64_t bands = 4;
constexpr std::int64_t hopsPerFrame = 8;
constexpr std::int64_t encoderFrames = paddedHops / hopsPerFrame;
constexpr std::int64_t encoderWidth = testsupport::parakeet::encoderWidth;
constexpr std::int64_t embeddingWidth = 8;
constexpr std::int64_t lstmWidth = testsupport::parakeet::lstmWidth;
constexpr std::int64_t gates = testsupport::parakeet::lstmGates;
constexpr std::int64_t jointWidth = 16;
constexpr std::int64_t tokenClasses = 5; // four tokens and the blank
constexpr std::int64_t durationClasses = 5;
constexpr int blank = 8192;
const std::array<int, tokenClasses> classTokens{0, 1, 2, 3, blank};
const std::vector<std::string> pieces{"\u2581he", "llo", "\u2581wor", "ld"};
// Encoder frames of the shorter windows a flexible front end lists; a window
// of F frames is 1280 F - 640 samples, padded by the preprocessor to whole frames.
constexpr std::array<std::int64_t, 4> flexibleFrames{32, 64, 128, encoderFrames};

// ---------------------------------------------------------------------------
// Weights: uniform values from a fixed generator, rounded to half precision
// where the bundle stores them as fp16.

struct Weights {
    std::vector<float> melW, melB, encW, encB;
    testsupport::parakeet::DecoderWeights decoder;
    testsupport::parakeet::JointWeights joint;
};

Weights makeWeights() {
    Uniform random(29);
    Weights w;
    w.melW = random.halfValues(bands * hopSamples, 0.15f);
    w.melB = random.halfValues(bands, 0.1f);
    w.encW = random.halfValues(encoderWidth * hopsPerFrame * bands, 0.6f);
    w.encB = random.halfValues(encoderWidth, 0.2f);
    auto& d = w.decoder;
    d.rows = tokenClasses;
    d.embeddingWidth = embeddingWidth;
    d.embedding = random.values(tokenClasses * embeddingWidth, 1.0f);
    d.lstm[0] = {random.halfValues(gates * embeddingWidth, 0.3f), random.halfValues(gates * lstmWidth, 0.05f),
                 random.halfValues(gates, 0.1f)};
    d.lstm[1] = {random.halfValues(gates * lstmWidth, 0.08f), random.halfValues(gates * lstmWidth, 0.05f),
                 random.halfValues(gates, 0.1f)};
    auto& j = w.joint;
    j.width = jointWidth;
    j.tokenClasses = tokenClasses;
    j.durationClasses = durationClasses;
    j.classTokens.assign(classTokens.begin(), classTokens.end());
    j.encW = random.halfValues(jointWidth * encoderWidth, 0.08f);
    j.encB = random.halfValues(jointWidth, 0.1f);
    j.decW = random.halfValues(jointWidth * lstmWidth, 0.2f);
    j.decB = random.halfValues(jointWidth, 0.1f);
    // The duration rows weigh more than the token rows and the blank is
    // favoured a little, so that the recording holds blanks, every advance
    // from 0 to 4 and a few tokens flushed at its end.
    j.outW = random.halfValues(tokenClasses * jointWidth, 0.8f);
    const auto durationRows = random.halfValues(durationClasses * jointWidth, 2.4f);
    j.outW.insert(j.outW.end(), durationRows.begin(), durationRows.end());
    j.outB = random.halfValues(tokenClasses + durationClasses, 0.3f);
    j.outB[tokenClasses - 1] = static_cast<float>(static_cast<platform::accel::NativeHalf>(j.outB[tokenClasses - 1] + 0.5f));
    return w;
}

// ---------------------------------------------------------------------------
// The front end, fixed or flexible.

// metadata.json listing the shapes one input admits besides its default.
nlohmann::json enumeratedInput(const std::string& name, const std::vector<Shape>& shapes) {
    return nlohmann::json::array({{{"inputSchema",
                                    {{{"name", name},
                                      {"shape", nlohmann::json(shapes.back()).dump()},
                                      {"hasShapeFlexibility", "1"},
                                      {"enumeratedShapes", nlohmann::json(shapes).dump()}}}}}});
}

void writePreprocessor(const std::filesystem::path& folder, const Weights& w, bool flexible) {
    constexpr auto f32 = DataType::fp32;
    const std::int64_t samples = flexible ? -1 : windowSamples;
    const std::int64_t hops = flexible ? -1 : paddedHops;
    ModelBundleWriter bundle;
    ProgramBuilder p(bundle, typeText(f32, {1, samples}) + " audio_signal, tensor<int32, [1]> audio_length");
    p.ints("tail_pad", {0, 0, 0, tailPadding})
        .text("constant_mode", "constant")
        .number("silence", 0)
        .op(f32, {1, flexible ? -1 : windowSamples + tailPadding}, "padded",
            "pad(constant_val = silence, mode = constant_mode, pad = tail_pad, x = audio_signal)")
        .ints("hop_shape", {-1, hopSamples})
        .op(f32, {hops, hopSamples}, "hops", "reshape(shape = hop_shape, x = padded)")
        .weights("mel_w", w.melW, {bands, hopSamples})
        .weights("mel_b", w.melB, {bands})
        .op(f32, {hops, bands}, "hop_bands", "linear(bias = mel_b, weight = mel_w, x = hops)")
        .ints("swap", {1, 0})
        .op(f32, {bands, hops}, "band_rows", "transpose(perm = swap, x = hop_bands)")
        .ints("batch_axis", {0})
        .op(f32, {1, bands, hops}, "mel", "expand_dims(axes = batch_axis, x = band_rows)")
        .integer("hop_round", hopSamples - 1)
        .integer("hop", hopSamples)
        .op("tensor<int32, [1]> rounded_length", "add(x = audio_length, y = hop_round)")
        .op("tensor<int32, [1]> mel_length", "floor_div(x = rounded_length, y = hop)");
    std::vector<Shape> lengths;
    for (const auto frames : flexibleFrames) lengths.push_back({1, frames * hopsPerFrame * hopSamples - tailPadding});
    bundle.write(folder, p.program("mel, mel_length"),
                 flexible ? std::optional(enumeratedInput("audio_signal", lengths)) : std::nullopt);
}

void writeEncoder(const std::filesystem::path& folder, const Weights& w, bool flexible,
                  const std::vector<std::int64_t>& listedFrames) {
    constexpr auto f32 = DataType::fp32;
    const std::int64_t hops = flexible ? -1 : paddedHops;
    const std::int64_t frames = flexible ? -1 : encoderFrames;
    ModelBundleWriter bundle;
    ProgramBuilder p(bundle, typeText(f32, {1, bands, hops}) + " mel, tensor<int32, [1]> mel_length");
    p.ints("time_major", {0, 2, 1})
        .op(f32, {1, hops, bands}, "hop_rows", "transpose(perm = time_major, x = mel)")
        .ints("frame_shape", {1, -1, hopsPerFrame * bands})
        .op(f32, {1, frames, hopsPerFrame * bands}, "stacked", "reshape(shape = frame_shape, x = hop_rows)")
        .weights("enc_w", w.encW, {encoderWidth, hopsPerFrame * bands})
        .weights("enc_b", w.encB, {encoderWidth})
        .op(f32, {1, frames, encoderWidth}, "projected", "linear(bias = enc_b, weight = enc_w, x = stacked)")
        .op(f32, {1, frames, encoderWidth}, "activated", "tanh(x = projected)")
        .op(f32, {1, encoderWidth, frames}, "encoder", "transpose(perm = time_major, x = activated)")
        .integer("stack_round", hopsPerFrame - 1)
        .integer("stack", hopsPerFrame)
        .op("tensor<int32, [1]> rounded_length", "add(x = mel_length, y = stack_round)")
        .op("tensor<int32, [1]> encoder_length", "floor_div(x = rounded_length, y = stack)");
    std::vector<Shape> lengths;
    for (const auto count : listedFrames) lengths.push_back({1, bands, count * hopsPerFrame});
    bundle.write(folder, p.program("encoder, encoder_length"),
                 flexible ? std::optional(enumeratedInput("mel", lengths)) : std::nullopt);
}

// Which parts of the front end declare the shorter lengths.
struct FrontEnd {
    bool flexiblePreprocessor = false;
    bool flexibleEncoder = false;
    // The flexible encoder's lengths, in frames.
    std::vector<std::int64_t> encoderFrameList{flexibleFrames.begin(), flexibleFrames.end()};
};

// Writes a whole set into `repository` and has `recorder` watch its models
// as "preprocessor", "encoder", "decoder" and "joint".
void writeModelSet(const std::filesystem::path& repository, const Weights& weights, FrontEnd frontEnd,
                   ModelCallRecorder& recorder) {
    const std::vector<std::pair<std::string, std::string>> bundles{{"preprocessor", "Preprocessor.mlmodelc"},
                                                                   {"encoder", "Encoder.mlmodelc"},
                                                                   {"decoder", "Decoder.mlmodelc"},
                                                                   {"joint", "JointDecisionv3.mlmodelc"}};
    writePreprocessor(repository / bundles[0].second, weights, frontEnd.flexiblePreprocessor);
    writeEncoder(repository / bundles[1].second, weights, frontEnd.flexibleEncoder, frontEnd.encoderFrameList);
    testsupport::parakeet::writeDecoder(repository / bundles[2].second, weights.decoder);
    testsupport::parakeet::writeJoint(repository / bundles[3].second, weights.joint);
    testsupport::parakeet::writeVocabulary(repository / "parakeet_vocab.json", pieces);
    for (const auto& [label, name] : bundles) recorder.watch(repository / name, label);
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
        const auto& embedding = w_.decoder.embedding;
        std::vector<float> x(embedding.begin() + static_cast<std::ptrdiff_t>(row * embeddingWidth),
                             embedding.begin() + static_cast<std::ptrdiff_t>((row + 1) * embeddingWidth));
        for (std::size_t layer = 0; layer < 2; ++layer) {
            const auto& weights = w_.decoder.lstm[layer];
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
        const auto& j = w_.joint;
        auto hidden = affine(j.encW, j.encB, frame.data(), encoderWidth);
        const auto fromDecoder = affine(j.decW, j.decB, projection.data(), lstmWidth);
        for (std::size_t i = 0; i < hidden.size(); ++i) hidden[i] = std::max(hidden[i] + fromDecoder[i], 0.0f);
        const auto logits = affine(j.outW, j.outB, hidden.data(), jointWidth);
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

// 17 s of tone bursts that change every 0.4 s over a little noise: long
// enough for two chunks, the second of them short.
std::vector<float> longRecording() {
    constexpr std::size_t length = 272000;
    std::vector<float> audio(length);
    Uniform noise(7);
    const auto hiss = noise.values(length, 0.02f);
    const std::array<float, 5> pitches{220.0f, 540.0f, 1300.0f, 3100.0f, 760.0f};
    const std::array<float, 3> loudness{0.6f, 0.3f, 0.8f};
    for (std::size_t i = 0; i < length; ++i) {
        const auto burst = i / 6400;
        const auto seconds = static_cast<float>(i) / 16000.0f;
        audio[i] = loudness[burst % 3] * std::sin(2.0f * std::numbers::pi_v<float> * pitches[burst % 5] * seconds) +
                   hiss[i];
    }
    return audio;
}

class ParakeetBundlesEndToEnd : public ::testing::Test {
protected:
    ParakeetBundlesEndToEnd() {
        // A bundle the runtime rejects must fail here, not send the loader's
        // recovery to the network.
        DownloadUtils::enforceOffline = true;
        writeModelSet(repository, weights, {}, recorder);
    }
    ~ParakeetBundlesEndToEnd() override { DownloadUtils::enforceOffline = false; }

    AsrModels load() const { return load(repository); }
    static AsrModels load(const std::filesystem::path& from) {
        return AsrModels::load(from, std::nullopt, AsrModelVersion::v3, ParakeetEncoderPrecision::int8);
    }

    // A second set beside the fixed one, watched by its own recorder.
    std::filesystem::path writeSet(const std::string& name, FrontEnd frontEnd, ModelCallRecorder& watching) const {
        const auto at = folder / name / "models" / "parakeet-tdt-0.6b-v3";
        writeModelSet(at, weights, frontEnd, watching);
        return at;
    }

    static ASRResult transcribe(const AsrModels& models, std::span<const float> audio) {
        AsrManager manager(ASRConfig::default_(), models);
        auto state = TdtDecoderState::make(manager.decoderLayerCount());
        return manager.transcribe(audio, state);
    }

    static void expectSameTokens(const ASRResult& actual, const ASRResult& expected) {
        EXPECT_EQ(actual.text, expected.text);
        ASSERT_TRUE(actual.tokenTimings && expected.tokenTimings);
        ASSERT_EQ(actual.tokenTimings->size(), expected.tokenTimings->size());
        for (std::size_t i = 0; i < expected.tokenTimings->size(); ++i) {
            SCOPED_TRACE("token " + std::to_string(i));
            const auto& a = (*actual.tokenTimings)[i];
            const auto& e = (*expected.tokenTimings)[i];
            EXPECT_EQ(a.tokenId, e.tokenId);
            EXPECT_EQ(a.startTime, e.startTime);
            EXPECT_EQ(a.endTime, e.endTime);
            EXPECT_NEAR(a.confidence, e.confidence, 1e-5f);
        }
    }

    testsupport::TemporaryDirectory folder;
    ModelCallRecorder recorder;
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

using Shapes = std::set<std::vector<std::int64_t>>;

// Each front end against the fixed one on the same 1.5 s recording: a shorter
// window goes only where the description lists one, and no token changes.
TEST_F(ParakeetBundlesEndToEnd, FlexibleFrontEndsFeedOnlyWhatTheAudioNeedsAndKeepTheTokens) {
    const auto audio = recording();
    const auto fixed = transcribe(load(), audio);
    ASSERT_EQ(fixed.text, "ldld wor wor wor wor wor wor wor wor wor world he he he");
    EXPECT_EQ(recorder.calls("preprocessor").inputShapes.at("audio_signal"), (Shapes{{1, windowSamples}}));
    EXPECT_EQ(recorder.calls("encoder").inputShapes.at("mel"), (Shapes{{1, bands, paddedHops}}));

    struct Case {
        std::string name; // also the set's folder
        FrontEnd frontEnd;
        Shapes audioFed; // "audio_signal" shapes
        std::int64_t melFed; // hops of the encoder's "mel"
    };
    // 24,000 samples are 19 frames (152 hops); the shortest listed window holding them has 32 frames.
    const std::vector<Case> cases{
        {"flexible-preprocessor", {true, false}, {{1, windowSamples}}, paddedHops},
        {"flexible-encoder", {false, true}, {{1, windowSamples}}, 256},
        {"flexible-both", {true, true}, {{1, 40320}}, 256},
        // The encoder lists no 32-frame mel: the whole window runs again and its mel is cut to 48 frames.
        {"mismatched-lists", {true, true, {48, encoderFrames}}, {{1, 40320}, {1, windowSamples}}, 384},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ModelCallRecorder watching;
        const auto models = load(writeSet(c.name, c.frontEnd, watching));
        expectSameTokens(transcribe(models, audio), fixed);
        EXPECT_EQ(watching.calls("preprocessor").inputShapes.at("audio_signal"), c.audioFed);
        EXPECT_EQ(watching.calls("encoder").inputShapes.at("mel"), (Shapes{{1, bands, c.melFed}}));
        EXPECT_EQ(watching.calls("encoder").count, 1);
    }
}

// The chunked path: the first chunk fills the window, the second (4.2 s with
// its mel context) runs through the 64-frame window, and the merged tokens
// are those of the fixed set.
TEST_F(ParakeetBundlesEndToEnd, ChunksOfALongRecordingRunShorterWindowsWithTheSameTokens) {
    const auto audio = longRecording();
    const auto fixed = transcribe(load(), audio);
    ASSERT_GE(fixed.tokenTimings->size(), 8u) << "the fixture should say something";
    EXPECT_EQ(recorder.calls("encoder").inputShapes.at("mel"), (Shapes{{1, bands, paddedHops}}));

    ModelCallRecorder watching;
    const auto models = load(writeSet("flexible", {true, true}, watching));
    expectSameTokens(transcribe(models, audio), fixed);
    EXPECT_EQ(watching.calls("preprocessor").inputShapes.at("audio_signal"), (Shapes{{1, windowSamples}, {1, 81280}}));
    EXPECT_EQ(watching.calls("encoder").inputShapes.at("mel"), (Shapes{{1, bands, paddedHops}, {1, bands, 512}}));
    EXPECT_EQ(watching.calls("encoder").count, 2);
}

} // namespace
} // namespace razeziruzer
