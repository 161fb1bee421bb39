#pragma once
// A tiny byte-level BPE tokenizer with Whisper's special tokens, as files and
// as a built tokenizer. Ids: "hello" 11, " world" 16, "!" 23, "," 24, the
// two halves of the emoji U+1F600 21 and 22, "你" 30, "好" 31;
// <|endoftext|> 50, <|startoftranscript|> 51, <|en|> 52, <|transcribe|> 53,
// <|notimestamps|> 54, <|0.00|> 55, <|de|> 57.

#include "PelluxCore/ModelHubKit/Tokenizers/Tokenizer.hpp"

#include <filesystem>
#include <memory>

namespace hushframe::testing {

std::shared_ptr<const modelhubkit::Tokenizer> tinyTokenizer();
// Writes "tokenizer.json" and "tokenizer_config.json" into the folder.
void writeTinyTokenizer(const std::filesystem::path& folder);

} // namespace hushframe::testing
