#pragma once
// The tokenizer operations the Whisper tokenizer needs, each handed unchanged
// to the library tokenizer it holds. Thread safety is that tokenizer's.

#include "PelluxCore/ModelHubKit/Tokenizers/Tokenizer.hpp"

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pelluxcore {

struct TokenizerWrapper {
    // Throws std::invalid_argument for a null tokenizer.
    explicit TokenizerWrapper(std::shared_ptr<const modelhubkit::Tokenizer> impl);

    std::vector<std::string> tokenize(std::string_view text) const;
    std::vector<int> encode(std::string_view text) const;
    std::vector<int> encode(std::string_view text, bool addSpecialTokens) const;
    std::string decode(std::span<const int> tokens) const;
    std::string decode(std::span<const int> tokens, bool skipSpecialTokens) const;
    std::optional<int> convertTokenToId(std::string_view token) const;
    std::vector<std::optional<int>> convertTokensToIds(std::span<const std::string> tokens) const;
    std::optional<std::string> convertIdToToken(int id) const;
    std::vector<std::optional<std::string>> convertIdsToTokens(std::span<const int> ids) const;

    std::optional<std::string> bosToken() const;
    std::optional<int> bosTokenId() const;
    std::optional<std::string> eosToken() const;
    std::optional<int> eosTokenId() const;
    std::optional<std::string> unknownToken() const;
    std::optional<int> unknownTokenId() const;

    std::shared_ptr<const modelhubkit::Tokenizer> impl;
};

} // namespace pelluxcore
