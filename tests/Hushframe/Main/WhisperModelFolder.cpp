#include "tests/Hushframe/Main/WhisperModelFolder.hpp"

#include "Platform/CoreML/ScriptedModelBackend.hpp"

#include <nlohmann/json.hpp>

#include <fstream>

namespace hushframe::testing {

namespace fs = std::filesystem;
using namespace platform::coreml;

namespace {

MLModelDescription describe(const std::string& model, ModelSizes sizes) {
    const auto f16 = MLMultiArrayDataType::float16;
    if (model == "MelSpectrogram") {
        return MLModelDescription::make({MLFeatureDescription::multiArray("audio", {480000}, f16)},
                                        {MLFeatureDescription::multiArray("melspectrogram_features", {1, 80, 1, 3000}, f16)});
    }
    if (model == "AudioEncoder") {
        return MLModelDescription::make(
            {MLFeatureDescription::multiArray("melspectrogram_features", {1, 80, 1, 3000}, f16)},
            {MLFeatureDescription::multiArray("encoder_output_embeds", {1, sizes.encoderWidth, 1, 1500}, f16)});
    }
    return MLModelDescription::make({MLFeatureDescription::multiArray("input_ids", {1}, f16)},
                                    {MLFeatureDescription::multiArray("logits", {1, 1, sizes.logits}, f16)});
}

} // namespace

WhisperModelFolder::WhisperModelFolder(const fs::path& folder, ModelSizes sizes) : folder_(folder) {
    for (const std::string model : {"MelSpectrogram", "AudioEncoder", "TextDecoder"}) {
        const fs::path url = folder / (model + ".mlmodelc");
        ScriptedModelBackend::writeCompiledModelFolder(url);
        registrations_.push_back(MLModelBackendRegistry::shared().registerBackend(
            MLModelBackendRegistry::forPath(url), [description = describe(model, sizes)](const auto&, const auto&) {
                return std::make_shared<ScriptedModelBackend>(description, std::vector<ScriptedModelBackend::Outputs>{});
            }));
    }
}

void writeTokenizerFiles(const fs::path& folder) {
    const nlohmann::json data = nlohmann::json::parse(R"({
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
    fs::create_directories(folder);
    std::ofstream(folder / "tokenizer.json") << data.dump();
    std::ofstream(folder / "tokenizer_config.json") << nlohmann::json{{"tokenizer_class", "WhisperTokenizer"}}.dump();
}

} // namespace hushframe::testing
