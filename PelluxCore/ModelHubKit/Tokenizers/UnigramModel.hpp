#pragma once
// Unigram language model: a word is cut into the pieces whose summed
// log-probabilities are highest (Viterbi). A character no piece covers becomes
// its UTF-8 byte tokens ("<0xE2>") when the model falls back to bytes, else the
// unknown token, and consecutive unknown characters share one unknown token.

#include "PelluxCore/ModelHubKit/Tokenizers/TokenizingModel.hpp"

namespace modelhubkit {

class UnigramModel final : public TokenizingModel {
public:
    explicit UnigramModel(const nlohmann::json& model);

    void tokenize(std::string_view word, std::vector<int>& ids) const override;
    const Vocabulary& vocabulary() const override { return vocabulary_; }
    std::optional<std::string> unknownToken() const override;

private:
    bool appendBytes(std::string_view character, std::vector<int>& ids) const;

    Vocabulary vocabulary_;
    std::vector<double> scores_; // by id
    std::optional<int> unknownId_;
    double unknownScore_ = 0;
    std::size_t longestPiece_ = 0; // in bytes
    bool byteFallback_ = false;
};

} // namespace modelhubkit
