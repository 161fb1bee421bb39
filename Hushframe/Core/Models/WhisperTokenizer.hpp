#pragma once
// The tokenizer as the decoding stages see it: text and ids both ways, the
// Whisper special and language tokens, and token sequences split into words.

#include "Hushframe/Core/Models/SpecialTokens.hpp"

#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace hushframe {

// Words and, for each, its token ids; the groups cover the input ids in order.
struct WordTokens {
    std::vector<std::string> words;
    std::vector<std::vector<int>> wordTokens;

    bool operator==(const WordTokens&) const = default;
};

class WhisperTokenizer {
public:
    virtual ~WhisperTokenizer() = default;

    virtual std::vector<int> encode(std::string_view text) const = 0;
    virtual std::string decode(std::span<const int> tokens) const = 0;
    virtual std::optional<int> convertTokenToId(std::string_view token) const = 0;
    virtual std::optional<std::string> convertIdToToken(int id) const = 0;
    virtual const SpecialTokens& specialTokens() const = 0;
    virtual const std::set<int>& allLanguageTokens() const = 0;
    virtual WordTokens splitToWordTokens(std::span<const int> tokenIds) const = 0;
};

} // namespace hushframe
