// The Whisper main class loads a model folder of real program bundles (no
// scripted backend) through the model runtime: small networks with the names,
// types and shapes of the tiny multilingual models, so that the sizes the
// pipeline reads from the loaded descriptions choose the variant and the
// tokenizer.

#include "Hushframe/Core/Hushframe.hpp"
#include "Platform/Accel/Float16.hpp"
#include "Hushframe/Core/Models/WhisperMLModel.hpp"
#include "PelluxCore/ModelHubKit/Hub/FakeNetworkMonitor.hpp"
#include "tests/Support/ModelBundleWriter.hpp"
#include "tests/Support/ScopedEnvironment.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>

namespace hushframe {
namespace {

namespace fs = std::filesystem;
using platform::coreml::MLFeatureDescription;
using platform::coreml::MLModelDescription;
using platform::coreml::mil::DataType;
using testsupport::ModelBundleWriter;

constexpr std::int64_t windowSamples = 480000;
constexpr std::int64_t melFrames = 3000;
constexpr std::int64_t melBins = 80;
constexpr std::int64_t encoderWidth = 384; // tiny
constexpr std::int64_t encoderFrames = 1500;
constexpr std::int64_t vocabularySize = 51865; // multilingual
constexpr std::int64_t cacheWidth = 4 * encoderWidth;
constexpr std::int64_t cacheLength = 224;
constexpr std::int64_t tokenWidth = 4;


std::vector<float> halfValues(std::size_t count, std::uint32_t seed, float scale) {
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

// 160-sample hops projected to 80 bins.
void writeMelSpectrogram(const fs::path& bundleFolder) {
    ModelBundleWriter bundle;
    std::string body = constant(testsupport::intsConstant("hop_shape", std::vector<std::int64_t>{melFrames, 160}));
    body += constant(bundle.blobConstant("bins_w", DataType::fp16, {melBins, 160}, halfValues(melBins * 160, 1, 0.1f)));
    body += constant(testsupport::intsConstant("swap", std::vector<std::int64_t>{1, 0}));
    body += constant(testsupport::intsConstant("feature_shape", std::vector<std::int64_t>{1, melBins, 1, melFrames}));
    body += testsupport::operationLine("tensor<fp16, [3000, 160]> hops", "reshape(shape = hop_shape, x = audio)");
    body += testsupport::operationLine("tensor<fp16, [3000, 80]> hop_bins", "linear(weight = bins_w, x = hops)");
    body += testsupport::operationLine("tensor<fp16, [80, 3000]> bin_rows", "transpose(perm = swap, x = hop_bins)");
    body += testsupport::operationLine("tensor<fp16, [1, 80, 1, 3000]> melspectrogram_features", "reshape(shape = feature_shape, x = bin_rows)");
    bundle.write(bundleFolder, testsupport::mainProgram("tensor<fp16, [480000]> audio", body, "melspectrogram_features"));
}

// A stride-2 convolution stem, as the real encoder starts.
void writeAudioEncoder(const fs::path& bundleFolder) {
    ModelBundleWriter bundle;
    std::string body = constant(bundle.blobConstant("stem_w", DataType::fp16, {encoderWidth, melBins, 1, 3},
                                                    halfValues(encoderWidth * melBins * 3, 2, 0.05f)));
    body += constant(bundle.blobConstant("stem_b", DataType::fp16, {encoderWidth}, halfValues(encoderWidth, 3, 0.05f)));
    body += constant(testsupport::intsConstant("strides", std::vector<std::int64_t>{1, 2}));
    body += constant(testsupport::intsConstant("dilations", std::vector<std::int64_t>{1, 1}));
    body += constant(testsupport::intsConstant("pads", std::vector<std::int64_t>{0, 0, 1, 1}));
    body += constant(testsupport::textConstant("custom", "custom"));
    body += constant(testsupport::intConstant("groups", 1));
    body += testsupport::operationLine("tensor<fp16, [1, 384, 1, 1500]> stem",
               "conv(bias = stem_b, dilations = dilations, groups = groups, pad = pads, pad_type = custom, "
               "strides = strides, weight = stem_w, x = melspectrogram_features)");
    body += testsupport::operationLine("tensor<fp16, [1, 384, 1, 1500]> encoder_output_embeds", "gelu(x = stem)");
    bundle.write(bundleFolder, testsupport::mainProgram("tensor<fp16, [1, 80, 1, 3000]> melspectrogram_features", body,
                                       "encoder_output_embeds"));
}

// A token embedding tied to the output projection, and cache updates drawn
// from the same embedding.
void writeTextDecoder(const fs::path& bundleFolder) {
    ModelBundleWriter bundle;
    std::string body = constant(bundle.blobConstant("embedding", DataType::fp16, {vocabularySize, tokenWidth},
                                                    halfValues(vocabularySize * tokenWidth, 4, 0.5f)));
    body += constant(bundle.blobConstant("key_w", DataType::fp16, {cacheWidth, tokenWidth}, halfValues(cacheWidth * tokenWidth, 5, 0.5f)));
    body += constant(bundle.blobConstant("value_w", DataType::fp16, {cacheWidth, tokenWidth}, halfValues(cacheWidth * tokenWidth, 6, 0.5f)));
    body += constant(testsupport::intConstant("zero", 0));
    body += constant(testsupport::intsConstant("logits_shape", std::vector<std::int64_t>{1, 1, vocabularySize}));
    body += constant(testsupport::intsConstant("update_shape", std::vector<std::int64_t>{1, cacheWidth, 1, 1}));
    body += testsupport::operationLine("tensor<fp16, [1, 4]> token", "gather(axis = zero, indices = input_ids, x = embedding)");
    body += testsupport::operationLine("tensor<fp16, [1, 51865]> scores", "linear(weight = embedding, x = token)");
    body += testsupport::operationLine("tensor<fp16, [1, 1, 51865]> logits", "reshape(shape = logits_shape, x = scores)");
    body += testsupport::operationLine("tensor<fp16, [1, 1536]> key_row", "linear(weight = key_w, x = token)");
    body += testsupport::operationLine("tensor<fp16, [1, 1536]> value_row", "linear(weight = value_w, x = token)");
    body += testsupport::operationLine("tensor<fp16, [1, 1536, 1, 1]> key_cache_updates", "reshape(shape = update_shape, x = key_row)");
    body += testsupport::operationLine("tensor<fp16, [1, 1536, 1, 1]> value_cache_updates", "reshape(shape = update_shape, x = value_row)");
    const std::string signature =
        "tensor<int32, [1]> input_ids, tensor<int32, [1]> cache_length, tensor<fp16, [1, 1536, 1, 224]> key_cache, "
        "tensor<fp16, [1, 1536, 1, 224]> value_cache, tensor<fp16, [1, 224]> kv_cache_update_mask, "
        "tensor<fp16, [1, 384, 1, 1500]> encoder_output_embeds, tensor<fp16, [1, 224]> decoder_key_padding_mask";
    bundle.write(bundleFolder, testsupport::mainProgram(signature, body, "logits, key_cache_updates, value_cache_updates"));
}

// "tokenizer.json" and "tokenizer_config.json" of a tiny byte-level tokenizer.
void writeTokenizerFiles(const fs::path& folder) {
    const auto data = nlohmann::json::parse(R"({
      "version": "1.0",
      "added_tokens": [
        {"id": 50, "content": "<|endoftext|>", "special": true, "normalized": false},
        {"id": 51, "content": "<|startoftranscript|>", "special": true, "normalized": false}
      ],
      "normalizer": null,
      "pre_tokenizer": {"type": "ByteLevel", "add_prefix_space": false, "trim_offsets": true, "use_regex": true},
      "post_processor": null,
      "decoder": {"type": "ByteLevel", "add_prefix_space": true, "trim_offsets": true, "use_regex": true},
      "model": {
        "type": "BPE", "dropout": null, "unk_token": null, "continuing_subword_prefix": "",
        "end_of_word_suffix": "", "fuse_unk": false, "byte_fallback": false,
        "vocab": {"h": 0, "i": 1, "hi": 2},
        "merges": ["h i"]
      }
    })");
    std::ofstream(folder / "tokenizer.json") << data.dump();
    std::ofstream(folder / "tokenizer_config.json") << nlohmann::json{{"tokenizer_class", "WhisperTokenizer"}}.dump();
}

TEST(WhisperBundlesLoad, LoadsProgramBundlesAndReadsTheirSizes) {
    testsupport::TemporaryDirectory temp;
    testsupport::ScopedEnvironment environment;
    environment.set("HF_HOME", (temp / "hf-home").string());
    const fs::path models = temp / "models";
    writeMelSpectrogram(models / "MelSpectrogram.mlmodelc");
    writeAudioEncoder(models / "AudioEncoder.mlmodelc");
    writeTextDecoder(models / "TextDecoder.mlmodelc");
    writeTokenizerFiles(models);

    HushframeConfig config;
    config.modelFolder = models.string();
    config.tokenizerFolder = temp / "tokenizers";
    config.load = true;
    config.download = false;
    config.verbose = false;
    // No network: the tokenizer must come from the model folder.
    const auto pipeline =
        Hushframe::create(config, modelhubkit::HubApi::Services{nullptr, std::make_shared<modelhubkit::FakeNetworkMonitor>(false)});

    EXPECT_EQ(pipeline->modelState(), pelluxcore::ModelState::loaded);
    EXPECT_EQ(pipeline->modelVariant(), ModelVariant::tiny);
    EXPECT_NE(pipeline->tokenizer(), nullptr);
    EXPECT_TRUE(pipeline->textDecoder()->isModelMultilingual());
    EXPECT_EQ(pipeline->featureExtractor()->windowSamples(), windowSamples);
    EXPECT_EQ(pipeline->audioEncoder()->embedSize(), encoderWidth);
    EXPECT_EQ(pipeline->textDecoder()->logitsSize(), vocabularySize);
    EXPECT_EQ(pipeline->textDecoder()->kvCacheEmbedDim(), cacheWidth);
    EXPECT_EQ(pipeline->textDecoder()->kvCacheMaxSequenceLength(), cacheLength);
    EXPECT_EQ(pipeline->textDecoder()->windowSize(), encoderFrames);

    // The descriptions are those of the programs, as the runtime read them.
    using Type = platform::coreml::MLMultiArrayDataType;
    const auto array = [](const std::string& name, std::vector<std::int64_t> shape, Type type = Type::float16) {
        return MLFeatureDescription::multiArray(name, std::move(shape), type);
    };
    const auto mel = array("melspectrogram_features", {1, melBins, 1, melFrames});
    const auto embeds = array("encoder_output_embeds", {1, encoderWidth, 1, encoderFrames});
    const auto cache = [&](const std::string& name) { return array(name, {1, cacheWidth, 1, cacheLength}); };
    const auto update = [&](const std::string& name) { return array(name, {1, cacheWidth, 1, 1}); };
    struct Case {
        std::string name;
        const WhisperMLModel* stage;
        MLModelDescription expected;
    };
    const std::vector<Case> cases{
        {"mel", dynamic_cast<const WhisperMLModel*>(pipeline->featureExtractor().get()), MLModelDescription::make({array("audio", {windowSamples})}, {mel})},
        {"encoder", dynamic_cast<const WhisperMLModel*>(pipeline->audioEncoder().get()), MLModelDescription::make({mel}, {embeds})},
        {"decoder", dynamic_cast<const WhisperMLModel*>(pipeline->textDecoder().get()),
         MLModelDescription::make({array("input_ids", {1}, Type::int32), array("cache_length", {1}, Type::int32),
                                   cache("key_cache"), cache("value_cache"),
                                   array("kv_cache_update_mask", {1, cacheLength}), embeds,
                                   array("decoder_key_padding_mask", {1, cacheLength})},
                                  {array("logits", {1, 1, vocabularySize}), update("key_cache_updates"),
                                   update("value_cache_updates")})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(c.stage, nullptr);
        ASSERT_TRUE(c.stage->model());
        const auto& description = c.stage->model()->modelDescription();
        EXPECT_EQ(description.inputDescriptionsByName, c.expected.inputDescriptionsByName);
        EXPECT_EQ(description.outputDescriptionsByName, c.expected.outputDescriptionsByName);
    }
}

} // namespace
} // namespace hushframe
