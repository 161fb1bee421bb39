#pragma once
// Token ids of the multilingual Nemotron model to text: the vocabulary
// tokenizer plus the set of language-tag ids, which are left out of the text
// and report the spoken language. Immutable once made; shared by every
// recogniser that uses one model set.

#include "RazeziRuzer/ASR/Parakeet/Streaming/Tokenizer.hpp"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace razeziruzer {

struct NemotronMultilingualDecoded {
    std::string text;
    std::optional<std::string> detectedLanguage;

    bool operator==(const NemotronMultilingualDecoded&) const = default;
};

class NemotronMultilingualTokenizer {
public:
    // The vocabulary file's read or parse failure passes through.
    NemotronMultilingualTokenizer(const std::filesystem::path& vocabPath, std::set<std::int64_t> langTagTokenIds);

    const Tokenizer& base() const { return base_; }
    const std::set<std::int64_t>& langTagTokenIds() const { return langTagTokenIds_; }

    // The text without tags (runs of spaces made one) and the language of the
    // first tag whose piece is known ("<de>" reports "de").
    NemotronMultilingualDecoded decode(const std::vector<std::int64_t>& ids) const;
    std::optional<std::string> rawToken(std::int64_t forId) const { return base_.rawToken(forId); }
    // The tag id whose piece is exactly "<" + code + ">".
    std::optional<std::int64_t> langTagTokenId(const std::string& forLanguage) const;

    // A tag piece without its angle brackets; other pieces unchanged.
    static std::string languageOfTag(const std::string& piece);

private:
    Tokenizer base_;
    std::set<std::int64_t> langTagTokenIds_;
};

} // namespace razeziruzer
