#pragma once
// Tiny hand-made tokenizer files: a byte-level BPE with the special tokens of
// a speech model, a WordPiece and a Unigram vocabulary.

#include <nlohmann/json.hpp>

namespace modelhubkit::testing {

// Byte-level BPE over "hello world" and one emoji, whose four bytes end up
// as two tokens. Ids: hello 11, "Ġworld" 16, emoji halves 21 and 22;
// added: <|endoftext|> 50, <|startoftranscript|> 51, <|en|> 52,
// <|transcribe|> 53, <|notimestamps|> 54, <|0.00|> 55 (all special), <custom> 56 (not special).
nlohmann::json byteLevelBpeData();
nlohmann::json byteLevelBpeConfig();

// WordPiece with Bert normalisation and pre-tokenization; ids: [UNK] 0,
// [CLS] 1, [SEP] 2, un 3, ##aff 4, ##able 5, hello 6, "," 7, world 8, "!" 9.
nlohmann::json wordPieceData();

// Unigram with metaspace words and byte fallback; ids: <unk> 0, ▁ 1, ▁he 2,
// llo 3, ▁hello 4, h 5, e 6, l 7, o 8, ▁world 9, <0xC3> 10, <0xA9> 11.
nlohmann::json unigramData();

} // namespace modelhubkit::testing
