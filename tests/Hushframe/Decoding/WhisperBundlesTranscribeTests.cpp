// One transcription over small program bundles written here (the models'
// feature names, types and shapes, small random weights), run by the model
// runtime's interpreter rather than a script: bundle to result, for real.

#include "Hushframe/Core/DefaultComponents.hpp"
#include "Platform/Accel/Float16.hpp"
#include "Hushframe/Core/Models/WhisperMLModel.hpp"
#include "Hushframe/Decoding/WindowTranscribeTask.hpp"
#include "tests/Hushframe/Decoding/ScriptedWhisper.hpp"
#include "tests/Support/ModelBundleWriter.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

namespace hushframe {
namespace {

namespace fs = std::filesystem;
using platform::coreml::MLModel;
using platform::coreml::mil::DataType;
using testsupport::ModelBundleWriter;
using namespace hushframe::testing;


std::vector<float> randomValues(std::size_t count, std::uint32_t seed, float scale) {
    std::vector<float> values(count);
    std::uint64_t state = seed;
    for (auto& value : values) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        const auto unit = static_cast<float>(state >> 40) / static_cast<float>(1ull << 24);
        value = static_cast<float>(static_cast<platform::accel::NativeHalf>(scale * (2.0f * unit - 1.0f)));
    }
    return values;
}

std::string constant(const std::string& text) { return "        " + text; }

// 3200-sample windows in 20 hops of 160 samples, 8 bins.
void writeMel(const fs::path& folder) {
    ModelBundleWriter bundle;
    std::string body = constant(testsupport::intsConstant("hop_shape", std::vector<std::int64_t>{20, 160}));
    body += constant(bundle.blobConstant("bins_w", DataType::fp16, {8, 160}, randomValues(8 * 160, 1, 0.1f)));
    body += constant(testsupport::intsConstant("swap", std::vector<std::int64_t>{1, 0}));
    body += constant(testsupport::intsConstant("feature_shape", std::vector<std::int64_t>{1, 8, 1, 20}));
    body += testsupport::operationLine("tensor<fp16, [20, 160]> hops", "reshape(shape = hop_shape, x = audio)");
    body += testsupport::operationLine("tensor<fp16, [20, 8]> hop_bins", "linear(weight = bins_w, x = hops)");
    body += testsupport::operationLine("tensor<fp16, [8, 20]> bin_rows", "transpose(perm = swap, x = hop_bins)");
    body += testsupport::operationLine("tensor<fp16, [1, 8, 1, 20]> melspectrogram_features", "reshape(shape = feature_shape, x = bin_rows)");
    bundle.write(folder, testsupport::mainProgram("tensor<fp16, [3200]> audio", body, "melspectrogram_features"));
}

// A stride-2 convolution: 10 encoder frames of width 16.
void writeEncoder(const fs::path& folder) {
    ModelBundleWriter bundle;
    std::string body = constant(bundle.blobConstant("stem_w", DataType::fp16, {16, 8, 1, 3}, randomValues(16 * 8 * 3, 2, 0.2f)));
    body += constant(bundle.blobConstant("stem_b", DataType::fp16, {16}, randomValues(16, 3, 0.05f)));
    body += constant(testsupport::intsConstant("strides", std::vector<std::int64_t>{1, 2}));
    body += constant(testsupport::intsConstant("dilations", std::vector<std::int64_t>{1, 1}));
    body += constant(testsupport::intsConstant("pads", std::vector<std::int64_t>{0, 0, 1, 1}));
    body += constant(testsupport::textConstant("custom", "custom"));
    body += constant(testsupport::intConstant("groups", 1));
    body += testsupport::operationLine("tensor<fp16, [1, 16, 1, 10]> stem",
               "conv(bias = stem_b, dilations = dilations, groups = groups, pad = pads, pad_type = custom, "
               "strides = strides, weight = stem_w, x = melspectrogram_features)");
    body += testsupport::operationLine("tensor<fp16, [1, 16, 1, 10]> encoder_output_embeds", "gelu(x = stem)");
    bundle.write(folder, testsupport::mainProgram("tensor<fp16, [1, 8, 1, 20]> melspectrogram_features", body, "encoder_output_embeds"));
}

// Next-token scores from a tied token embedding; cache columns from the same
// embedding. Cache width 8, length 32.
void writeDecoder(const fs::path& folder) {
    ModelBundleWriter bundle;
    std::string body = constant(bundle.blobConstant("embedding", DataType::fp16, {vocabularySize, 4},
                                                    randomValues(vocabularySize * 4, 4, 2.0f)));
    body += constant(bundle.blobConstant("key_w", DataType::fp16, {8, 4}, randomValues(32, 5, 0.5f)));
    body += constant(bundle.blobConstant("value_w", DataType::fp16, {8, 4}, randomValues(32, 6, 0.5f)));
    body += constant(testsupport::intConstant("zero", 0));
    body += constant(testsupport::intsConstant("logits_shape", std::vector<std::int64_t>{1, 1, vocabularySize}));
    body += constant(testsupport::intsConstant("update_shape", std::vector<std::int64_t>{1, 8, 1, 1}));
    body += testsupport::operationLine("tensor<fp16, [1, 4]> token", "gather(axis = zero, indices = input_ids, x = embedding)");
    body += testsupport::operationLine("tensor<fp16, [1, 1551]> scores", "linear(weight = embedding, x = token)");
    body += testsupport::operationLine("tensor<fp16, [1, 1, 1551]> logits", "reshape(shape = logits_shape, x = scores)");
    body += testsupport::operationLine("tensor<fp16, [1, 8]> key_row", "linear(weight = key_w, x = token)");
    body += testsupport::operationLine("tensor<fp16, [1, 8]> value_row", "linear(weight = value_w, x = token)");
    body += testsupport::operationLine("tensor<fp16, [1, 8, 1, 1]> key_cache_updates", "reshape(shape = update_shape, x = key_row)");
    body += testsupport::operationLine("tensor<fp16, [1, 8, 1, 1]> value_cache_updates", "reshape(shape = update_shape, x = value_row)");
    const std::string signature =
        "tensor<int32, [1]> input_ids, tensor<int32, [1]> cache_length, tensor<fp16, [1, 8, 1, 32]> key_cache, "
        "tensor<fp16, [1, 8, 1, 32]> value_cache, tensor<int32, [1, 32]> kv_cache_update_mask, "
        "tensor<fp16, [1, 16, 1, 10]> encoder_output_embeds, tensor<fp16, [1, 32]> decoder_key_padding_mask";
    bundle.write(folder, testsupport::mainProgram(signature, body, "logits, key_cache_updates, value_cache_updates"));
}

std::shared_ptr<TranscriptionResult> transcribe(const fs::path& models, const std::vector<float>& audio) {
    auto extractor = DefaultComponents::featureExtractor();
    auto encoder = DefaultComponents::audioEncoder();
    auto decoder = DefaultComponents::textDecoder();
    dynamic_cast<WhisperMLModel&>(*extractor).setModel(MLModel::load(models / "MelSpectrogram.mlmodelc"));
    dynamic_cast<WhisperMLModel&>(*encoder).setModel(MLModel::load(models / "AudioEncoder.mlmodelc"));
    dynamic_cast<WhisperMLModel&>(*decoder).setModel(MLModel::load(models / "TextDecoder.mlmodelc"));
    const auto tokenizer = std::make_shared<ScriptTokenizer>();
    decoder->setTokenizer(tokenizer);
    decoder->setIsModelMultilingual(true);
    auto task = DefaultComponents::transcribeTask(TranscriptionTimings(), nullptr, nullptr, encoder, extractor,
                                                  DefaultComponents::segmentSeeker(), decoder, tokenizer);
    return task->run(audio, DecodingOptions({.temperatureFallbackCount = 0}), {});
}

TEST(WhisperBundlesTranscribe, TranscribesThroughTheInterpreter) {
    testsupport::TemporaryDirectory temp;
    const fs::path models = temp / "models";
    writeMel(models / "MelSpectrogram.mlmodelc");
    writeEncoder(models / "AudioEncoder.mlmodelc");
    writeDecoder(models / "TextDecoder.mlmodelc");
    std::vector<float> audio(32000);
    for (std::size_t i = 0; i < audio.size(); ++i) audio[i] = static_cast<float>((i * 7919) % 200) / 100.0F - 1.0F;

    const auto result = transcribe(models, audio);
    const auto timings = result->timings();
    EXPECT_GE(timings.totalEncodingRuns, 1);
    EXPECT_GT(timings.totalDecodingLoops, 0);
    // Every decoding pass stays inside the 32-column cache.
    EXPECT_LE(timings.totalKVUpdateRuns, timings.totalEncodingRuns * 31);
    ASSERT_FALSE(result->segments().empty());
    for (const auto& segment : result->segments()) {
        ASSERT_FALSE(segment.tokens.empty());
        EXPECT_EQ(segment.tokens.front(), sot);
        for (const int token : segment.tokens) EXPECT_LT(token, vocabularySize);
    }
    // The interpreter is deterministic at temperature 0: a second run agrees.
    const auto again = transcribe(models, audio);
    EXPECT_EQ(again->text(), result->text());
    EXPECT_EQ(again->segments(), result->segments());
}

} // namespace
} // namespace hushframe
