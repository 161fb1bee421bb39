#include "tests/PelluxCore/ModelHubKit/Tokenizers/TokenizerFixtures.hpp"

namespace modelhubkit::testing {

nlohmann::json byteLevelBpeData() {
    // "Ġ" is the byte-level character of a space; the emoji U+1F600 is the
    // bytes F0 9F 98 80, whose characters are "ð", "Ł", "ĺ" and "Ģ".
    return nlohmann::json::parse(R"({
      "version": "1.0",
      "added_tokens": [
        {"id": 50, "content": "<|endoftext|>", "special": true, "normalized": false},
        {"id": 51, "content": "<|startoftranscript|>", "special": true, "normalized": false},
        {"id": 52, "content": "<|en|>", "special": true, "normalized": false},
        {"id": 53, "content": "<|transcribe|>", "special": true, "normalized": false},
        {"id": 54, "content": "<|notimestamps|>", "special": true, "normalized": false},
        {"id": 55, "content": "<|0.00|>", "special": true, "normalized": false},
        {"id": 56, "content": "<custom>", "special": false, "normalized": false}
      ],
      "normalizer": null,
      "pre_tokenizer": {"type": "ByteLevel", "add_prefix_space": false, "trim_offsets": true, "use_regex": true},
      "post_processor": {
        "type": "TemplateProcessing",
        "single": [
          {"SpecialToken": {"id": "<|startoftranscript|>", "type_id": 0}},
          {"Sequence": {"id": "A", "type_id": 0}},
          {"SpecialToken": {"id": "<|endoftext|>", "type_id": 0}}
        ],
        "pair": [],
        "special_tokens": {
          "<|startoftranscript|>": {"id": "<|startoftranscript|>", "ids": [51], "tokens": ["<|startoftranscript|>"]},
          "<|endoftext|>": {"id": "<|endoftext|>", "ids": [50], "tokens": ["<|endoftext|>"]}
        }
      },
      "decoder": {"type": "ByteLevel", "add_prefix_space": true, "trim_offsets": true, "use_regex": true},
      "model": {
        "type": "BPE", "dropout": null, "unk_token": null, "continuing_subword_prefix": "",
        "end_of_word_suffix": "", "fuse_unk": false, "byte_fallback": false,
        "vocab": {
          "h": 0, "e": 1, "l": 2, "o": 3, "w": 4, "r": 5, "d": 6, "Ġ": 7, "he": 8, "ll": 9,
          "llo": 10, "hello": 11, "Ġw": 12, "or": 13, "Ġwor": 14, "ld": 15, "Ġworld": 16,
          "ð": 17, "Ł": 18, "ĺ": 19, "Ģ": 20, "ðŁ": 21, "ĺĢ": 22, "!": 23, "<": 24, "|": 25, "n": 26,
          "<|endoftext|>": 50
        },
        "merges": ["h e", "l l", ["ll", "o"], "he llo", "Ġ w", ["o", "r"], "Ġw or", "l d", ["Ġwor", "ld"],
                   "ð Ł", ["ĺ", "Ģ"]]
      }
    })");
}

nlohmann::json byteLevelBpeConfig() {
    return nlohmann::json::parse(R"({
      "tokenizer_class": "WhisperTokenizerFast",
      "bos_token": "<|endoftext|>",
      "eos_token": {"__type": "AddedToken", "content": "<|endoftext|>", "lstrip": false, "rstrip": false},
      "unk_token": "<|endoftext|>"
    })");
}

nlohmann::json wordPieceData() {
    return nlohmann::json::parse(R"({
      "added_tokens": [
        {"id": 0, "content": "[UNK]", "special": true},
        {"id": 1, "content": "[CLS]", "special": true},
        {"id": 2, "content": "[SEP]", "special": true}
      ],
      "normalizer": {"type": "BertNormalizer", "clean_text": true, "handle_chinese_chars": true,
                     "strip_accents": null, "lowercase": true},
      "pre_tokenizer": {"type": "BertPreTokenizer"},
      "post_processor": {"type": "BertProcessing", "sep": ["[SEP]", 2], "cls": ["[CLS]", 1]},
      "decoder": {"type": "WordPiece", "prefix": "##", "cleanup": true},
      "model": {
        "type": "WordPiece", "unk_token": "[UNK]", "continuing_subword_prefix": "##",
        "max_input_chars_per_word": 10,
        "vocab": {"[UNK]": 0, "[CLS]": 1, "[SEP]": 2, "un": 3, "##aff": 4, "##able": 5,
                  "hello": 6, ",": 7, "world": 8, "!": 9}
      }
    })");
}

nlohmann::json unigramData() {
    return nlohmann::json::parse(R"({
      "added_tokens": [{"id": 0, "content": "<unk>", "special": true}],
      "normalizer": null,
      "pre_tokenizer": {"type": "Metaspace", "replacement": "▁", "prepend_scheme": "always", "split": true},
      "post_processor": null,
      "decoder": {"type": "Sequence", "decoders": [
        {"type": "ByteFallback"},
        {"type": "Metaspace", "replacement": "▁", "prepend_scheme": "always", "split": true}
      ]},
      "model": {
        "type": "Unigram", "unk_id": 0, "byte_fallback": true,
        "vocab": [["<unk>", 0.0], ["▁", -2.0], ["▁he", -3.0], ["llo", -3.0], ["▁hello", -4.5],
                  ["h", -5.0], ["e", -5.0], ["l", -5.0], ["o", -5.0], ["▁world", -4.0],
                  ["<0xC3>", -10.0], ["<0xA9>", -10.0]]
      }
    })");
}

} // namespace modelhubkit::testing
