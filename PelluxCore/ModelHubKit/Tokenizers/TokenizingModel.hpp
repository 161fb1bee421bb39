#pragma once
// The model of a tokenizer: turns one pre-tokenized word into token ids and
// knows its vocabulary. Built from the "model" object of "tokenizer.json".

#include "PelluxCore/ModelHubKit/Tokenizers/Vocabulary.hpp"

#include <nlohmann/json_fwd.hpp>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace modelhubkit {

class TokenizingModel {
public:
    virtual ~TokenizingModel() = default;

    // Appends the ids of `word`. Throws TokenizerError (encodingFailed) when
    // the word holds text the vocabulary cannot express and the model has no
    // unknown token.
    virtual void tokenize(std::string_view word, std::vector<int>& ids) const = 0;

    virtual const Vocabulary& vocabulary() const = 0;
    virtual std::optional<std::string> unknownToken() const = 0;
};

// Builds the model the object names ("BPE", "WordPiece" or "Unigram"; an
// object without "type" is recognised by its fields). Throws TokenizerError.
std::unique_ptr<TokenizingModel> makeTokenizingModel(const nlohmann::json& model);

} // namespace modelhubkit
