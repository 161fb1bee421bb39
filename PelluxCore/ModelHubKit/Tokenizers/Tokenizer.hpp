#pragma once
// What every tokenizer offers: text to token ids and back, token texts and ids
// looked up one way or the other, and the model's beginning-of-sequence,
// end-of-sequence and unknown tokens. Tokenizers are immutable once built and
// may be used from several threads at once.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace modelhubkit {

class Tokenizer {
public:
    virtual ~Tokenizer() = default;

    // The token texts of `text`, without special tokens.
    virtual std::vector<std::string> tokenize(std::string_view text) const = 0;

    // Special tokens are added as the tokenizer's post-processor says.
    std::vector<int> encode(std::string_view text) const { return encode(text, true); }
    virtual std::vector<int> encode(std::string_view text, bool addSpecialTokens) const = 0;

    // Ids the tokenizer does not know are left out. Bytes that do not make up
    // a whole character (a token sequence cut inside one) decode to U+FFFD.
    std::string decode(std::span<const int> tokens) const { return decode(tokens, false); }
    virtual std::string decode(std::span<const int> tokens, bool skipSpecialTokens) const = 0;

    // Absent for a text or id the vocabulary (added tokens included) lacks.
    virtual std::optional<int> convertTokenToId(std::string_view token) const = 0;
    virtual std::optional<std::string> convertIdToToken(int id) const = 0;
    std::vector<std::optional<int>> convertTokensToIds(std::span<const std::string> tokens) const;
    std::vector<std::optional<std::string>> convertIdsToTokens(std::span<const int> ids) const;

    virtual std::optional<std::string> bosToken() const = 0;
    virtual std::optional<int> bosTokenId() const = 0;
    virtual std::optional<std::string> eosToken() const = 0;
    virtual std::optional<int> eosTokenId() const = 0;
    virtual std::optional<std::string> unknownToken() const = 0;
    virtual std::optional<int> unknownTokenId() const = 0;
};

} // namespace modelhubkit
