#pragma once
// WordPiece: a word is cut greedily into the longest vocabulary entries, the
// pieces after the first carrying the continuation prefix ("##"). A word that
// cannot be cut completely, or is too long, becomes the unknown token.

#include "PelluxCore/ModelHubKit/Tokenizers/TokenizingModel.hpp"

namespace modelhubkit {

class WordPieceModel final : public TokenizingModel {
public:
    explicit WordPieceModel(const nlohmann::json& model);

    void tokenize(std::string_view word, std::vector<int>& ids) const override;
    const Vocabulary& vocabulary() const override { return vocabulary_; }
    std::optional<std::string> unknownToken() const override { return unknownToken_; }

private:
    Vocabulary vocabulary_;
    std::string unknownToken_;
    int unknownId_ = 0;
    std::string continuingSubwordPrefix_;
    std::size_t maxInputCharsPerWord_ = 100;
};

} // namespace modelhubkit
