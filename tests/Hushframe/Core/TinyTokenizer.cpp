#include "tests/Hushframe/Core/TinyTokenizer.hpp"

#include "PelluxCore/ModelHubKit/Tokenizers/AutoTokenizer.hpp"

#include <nlohmann/json.hpp>

#include <fstream>

namespace hushframe::testing {

namespace {

// "Ġ" is the byte-level character of a space; the emoji's bytes F0 9F 98 80
// are the characters "ð", "Ł", "ĺ" and "Ģ"; "你" (E4 BD A0) is "ä½ł" and
// "好" (E5 A5 BD) is "å¥½". Only decoding needs the two Chinese entries.
nlohmann::json tokenizerData() {
    return nlohmann::json::parse(R"({
      "version": "1.0",
      "added_tokens": [
        {"id": 50, "content": "<|endoftext|>", "special": true, "normalized": false},
        {"id": 51, "content": "<|startoftranscript|>", "special": true, "normalized": false},
        {"id": 52, "content": "<|en|>", "special": true, "normalized": false},
        {"id": 53, "content": "<|transcribe|>", "special": true, "normalized": false},
        {"id": 54, "content": "<|notimestamps|>", "special": true, "normalized": false},
        {"id": 55, "content": "<|0.00|>", "special": true, "normalized": false},
        {"id": 57, "content": "<|de|>", "special": true, "normalized": false}
      ],
      "normalizer": null,
      "pre_tokenizer": {"type": "ByteLevel", "add_prefix_space": false, "trim_offsets": true, "use_regex": true},
      "post_processor": null,
      "decoder": {"type": "ByteLevel", "add_prefix_space": true, "trim_offsets": true, "use_regex": true},
      "model": {
        "type": "BPE", "dropout": null, "unk_token": null, "continuing_subword_prefix": "",
        "end_of_word_suffix": "", "fuse_unk": false, "byte_fallback": false,
        "vocab": {
          "h": 0, "e": 1, "l": 2, "o": 3, "w": 4, "r": 5, "d": 6, "Ġ": 7, "he": 8, "ll": 9,
          "llo": 10, "hello": 11, "Ġw": 12, "or": 13, "Ġwor": 14, "ld": 15, "Ġworld": 16,
          "ð": 17, "Ł": 18, "ĺ": 19, "Ģ": 20, "ðŁ": 21, "ĺĢ": 22, "!": 23, ",": 24,
          "ä½ł": 30, "å¥½": 31
        },
        "merges": ["h e", "l l", "ll o", "he llo", "Ġ w", "o r", "Ġw or", "l d", "Ġwor ld", "ð Ł", "ĺ Ģ"]
      }
    })");
}

nlohmann::json tokenizerConfig() { return nlohmann::json{{"tokenizer_class", "WhisperTokenizer"}}; }

} // namespace

std::shared_ptr<const modelhubkit::Tokenizer> tinyTokenizer() {
    return modelhubkit::AutoTokenizer::from(tokenizerConfig(), tokenizerData(), true);
}

void writeTinyTokenizer(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "tokenizer.json") << tokenizerData().dump();
    std::ofstream(folder / "tokenizer_config.json") << tokenizerConfig().dump();
}

} // namespace hushframe::testing
