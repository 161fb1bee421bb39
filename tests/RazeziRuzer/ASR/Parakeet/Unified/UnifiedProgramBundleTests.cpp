// The streaming unified recogniser over small program bundles run by the CPU
// runtime, against a plain greedy loop over the same models. The encoder here
// maps each 80 ms frame on its own, so every frame's encoder output is the
// same in whatever window it is computed; the recogniser must then decode
// every frame exactly once, in order, with the transducer state carried
// across windows, to give the plain loop's text.

#include "Platform/CoreML/MLDictionaryFeatureProvider.hpp"
#include "Platform/CoreML/MLModel.hpp"
#include "RazeziRuzer/ASR/Parakeet/Unified/StreamingUnifiedAsrManager.hpp"
#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedAsrManager.hpp"
#include "RazeziRuzer/ModelNames.hpp"
#include "tests/Support/ParakeetBundles/PredictionBundles.hpp"
#include "tests/Support/ParakeetBundles/SeededUniform.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <fstream>

namespace razeziruzer {
namespace {

using platform::coreml::MLDictionaryFeatureProvider;
using platform::coreml::MLFeatureValue;
using platform::coreml::MLModel;
using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;
using testsupport::ModelBundleWriter;
using testsupport::parakeet::DataType;
using testsupport::parakeet::ProgramBuilder;
using testsupport::parakeet::SeededUniform;
namespace names = ModelNames::ParakeetUnified;

constexpr std::int64_t windowFrames = 96;
constexpr std::int64_t frameSamples = 1280;
constexpr std::int64_t width = testsupport::parakeet::encoderWidth;
constexpr int tokenCount = 16;
constexpr std::int32_t blank = 1024;

void writePreprocessor(const std::filesystem::path& folder) {
    constexpr auto f32 = DataType::fp32;
    ModelBundleWriter bundle;
    ProgramBuilder p(bundle, "tensor<fp32, [1, 122880]> audio_signal, tensor<int32, [1]> audio_length");
    p.ints("frames_shape", {1, windowFrames, frameSamples})
        .op(f32, {1, windowFrames, frameSamples}, "mel", "reshape(shape = frames_shape, x = audio_signal)")
        .integer("none", 0)
        .op("tensor<int32, [1]> mel_length", "add(x = audio_length, y = none)");
    bundle.write(folder, p.program("mel, mel_length"));
}

void writeEncoder(const std::filesystem::path& folder, SeededUniform& random) {
    constexpr auto f32 = DataType::fp32;
    ModelBundleWriter bundle;
    ProgramBuilder p(bundle, "tensor<fp32, [1, 96, 1280]> mel, tensor<int32, [1]> mel_length");
    p.ints("rows", {windowFrames, frameSamples})
        .op(f32, {windowFrames, frameSamples}, "frames", "reshape(shape = rows, x = mel)")
        .weights("w", random.halfValues(width * frameSamples, 0.08f), {width, frameSamples})
        .weights("b", random.halfValues(width, 0.1f), {width})
        .op(f32, {windowFrames, width}, "projected", "linear(bias = b, weight = w, x = frames)")
        .op(f32, {windowFrames, width}, "activated", "tanh(x = projected)")
        .ints("swap", {1, 0})
        .op(f32, {width, windowFrames}, "columns", "transpose(perm = swap, x = activated)")
        .ints("encoder_shape", {1, width, windowFrames})
        .op(f32, {1, width, windowFrames}, "encoder", "reshape(shape = encoder_shape, x = columns)")
        .integer("round_up", frameSamples - 1)
        .integer("frame", frameSamples)
        .op("tensor<int32, [1]> padded", "add(x = mel_length, y = round_up)")
        .op("tensor<int32, [1]> encoder_length", "floor_div(x = padded, y = frame)");
    bundle.write(folder, p.program("encoder, encoder_length"));
}

void writeModelSet(const std::filesystem::path& folder) {
    SeededUniform random(32);
    writePreprocessor(folder / names::preprocessorFile);
    writeEncoder(folder / names::streamingEncoderInt8File, random);
    namespace pb = testsupport::parakeet;
    pb::DecoderWeights decoder;
    decoder.rows = blank + 1;
    decoder.embeddingWidth = pb::lstmWidth;
    decoder.embedding = random.values(static_cast<std::size_t>(decoder.rows * decoder.embeddingWidth), 0.5f);
    for (auto& layer : decoder.lstm) {
        layer.wIh = random.halfValues(pb::lstmGates * pb::lstmWidth, 0.08f);
        layer.wHh = random.halfValues(pb::lstmGates * pb::lstmWidth, 0.08f);
        layer.bias = random.halfValues(pb::lstmGates, 0.1f);
    }
    pb::writeDecoder(folder / names::decoderFile, decoder);
    pb::JointWeights joint;
    joint.width = 64;
    joint.tokenClasses = tokenCount + 1;
    joint.durationClasses = 1;
    for (int id = 0; id < tokenCount; ++id) joint.classTokens.push_back(id);
    joint.classTokens.push_back(blank);
    joint.encW = random.halfValues(static_cast<std::size_t>(joint.width * width), 0.1f);
    joint.encB = random.halfValues(static_cast<std::size_t>(joint.width), 0.1f);
    joint.decW = random.halfValues(static_cast<std::size_t>(joint.width * pb::lstmWidth), 0.1f);
    joint.decB = random.halfValues(static_cast<std::size_t>(joint.width), 0.1f);
    joint.outW = random.halfValues(static_cast<std::size_t>((tokenCount + 2) * joint.width), 0.5f);
    joint.outB = random.halfValues(static_cast<std::size_t>(tokenCount + 2), 0.1f);
    joint.outB[tokenCount] += 1.0f;  // the blank wins about half the time
    pb::writeJoint(folder / names::jointDecisionFile, joint);
    std::string vocabulary = "{";
    for (int id = 0; id < tokenCount; ++id) {
        vocabulary += (id ? ", \"" : "\"") + std::to_string(id) + "\": \"\u2581v" + std::to_string(id) + "\"";
    }
    std::ofstream(folder / "vocab.json") << vocabulary + "}";
}

MLMultiArray column(const MLMultiArray& encoded, std::int64_t t) {
    MLMultiArray step({1, width, 1}, MLMultiArrayDataType::float32);
    for (std::int64_t i = 0; i < width; ++i) step[i] = encoded[{0, i, t}].doubleValue();
    return step;
}

// Encoder frames of the whole stream in consecutive windows, then greedy
// transducer decoding with at most ten tokens a frame.
std::string plainLoopText(const std::filesystem::path& folder, const std::vector<float>& audio) {
    const auto preprocessor = MLModel::load(folder / names::preprocessorFile);
    const auto encoder = MLModel::load(folder / names::streamingEncoderInt8File);
    const auto decoder = MLModel::load(folder / names::decoderFile);
    const auto joint = MLModel::load(folder / names::jointDecisionFile);
    std::vector<MLMultiArray> frames;
    const auto capacity = windowFrames * frameSamples;
    for (std::size_t start = 0; start < audio.size(); start += static_cast<std::size_t>(capacity)) {
        const auto count = std::min(audio.size() - start, static_cast<std::size_t>(capacity));
        MLMultiArray signal({1, capacity}, MLMultiArrayDataType::float32);
        std::copy_n(audio.begin() + static_cast<std::ptrdiff_t>(start), count, signal.dataPointer<float>());
        MLMultiArray length({1}, MLMultiArrayDataType::int32);
        length[0] = static_cast<std::int32_t>(count);
        const auto mel = preprocessor.prediction(MLDictionaryFeatureProvider(
            {{"audio_signal", MLFeatureValue(signal)}, {"audio_length", MLFeatureValue(length)}}));
        const auto encoded = encoder.prediction(MLDictionaryFeatureProvider(
            {{"mel", *mel.featureValue("mel")}, {"mel_length", *mel.featureValue("mel_length")}}));
        const auto output = *encoded.featureValue("encoder")->multiArrayValue();
        const auto valid = (*encoded.featureValue("encoder_length")->multiArrayValue())[0].int32Value();
        for (std::int64_t t = 0; t < valid; ++t) frames.push_back(column(output, t));
    }
    const auto step = [&](std::int32_t token, const MLMultiArray& h, const MLMultiArray& c) {
        MLMultiArray targets({1, 1}, MLMultiArrayDataType::int32);
        targets[0] = token;
        MLMultiArray one({1}, MLMultiArrayDataType::int32);
        one[0] = 1;
        return decoder.prediction(MLDictionaryFeatureProvider({{"targets", MLFeatureValue(targets)},
                                                               {"target_length", MLFeatureValue(one)},
                                                               {"h_in", MLFeatureValue(h)},
                                                               {"c_in", MLFeatureValue(c)}}));
    };
    auto state = step(blank, MLMultiArray({2, 1, 640}, MLMultiArrayDataType::float32),
                      MLMultiArray({2, 1, 640}, MLMultiArrayDataType::float32));
    std::string text;
    for (const auto& frame : frames) {
        for (int symbol = 0; symbol < 10; ++symbol) {
            const auto decision = joint.prediction(MLDictionaryFeatureProvider(
                {{"encoder_step", MLFeatureValue(frame)}, {"decoder_step", *state.featureValue("decoder")}}));
            const auto token = (*decision.featureValue("token_id")->multiArrayValue())[0].int32Value();
            if (token == blank) break;
            text += " v" + std::to_string(token);
            state = step(token, *state.featureValue("h_out")->multiArrayValue(),
                         *state.featureValue("c_out")->multiArrayValue());
        }
    }
    return text.empty() ? text : text.substr(1);
}

TEST(UnifiedProgramBundleTests, StreamingRecogniserGivesThePlainLoopText) {
    const testsupport::TemporaryDirectory folder;
    writeModelSet(folder.path());
    SeededUniform random(7);
    const auto audio = random.values(160000 + 700, 0.5f);  // 10 s and a part frame
    const auto expected = plainLoopText(folder.path(), audio);
    ASSERT_GE(expected.size(), 40u);

    StreamingUnifiedAsrManager recogniser;
    recogniser.loadModels(folder.path());
    for (std::size_t at = 0; at < audio.size(); at += 9000) {
        recogniser.appendSamples(std::span<const float>(audio).subspan(at, std::min<std::size_t>(9000, audio.size() - at)));
        recogniser.processBufferedAudio();
    }
    EXPECT_EQ(recogniser.finish(), expected);
}

} // namespace
} // namespace razeziruzer
