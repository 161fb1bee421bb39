#include "PelluxCore/ModelHubKit/Tokenizers/WordPieceModel.hpp"

#include "PelluxCore/ModelHubKit/Tokenizers/JsonFields.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/TokenizerError.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/Utf8.hpp"

namespace modelhubkit {
namespace {

std::vector<std::size_t> scalarBoundaries(std::string_view word) {
    std::vector<std::size_t> boundaries{0};
    std::size_t offset = 0;
    while (offset < word.size()) {
        utf8::nextScalar(word, offset);
        boundaries.push_back(offset);
    }
    return boundaries;
}

} // namespace

WordPieceModel::WordPieceModel(const nlohmann::json& model) {
    const auto& vocab = model.at("vocab");
    if (!vocab.is_object()) {
        throw TokenizerError(TokenizerErrorKind::malformedTokenizer, "The WordPiece \"vocab\" must map token texts to ids");
    }
    for (const auto& [token, id] : vocab.items()) vocabulary_.add(token, json::tokenId(id));
    unknownToken_ = json::stringOr(model, "unk_token", "[UNK]");
    const auto unknownId = vocabulary_.id(unknownToken_);
    if (!unknownId) {
        throw TokenizerError(TokenizerErrorKind::malformedTokenizer,
                             "Unknown token \"" + unknownToken_ + "\" is not in the WordPiece vocabulary");
    }
    unknownId_ = *unknownId;
    continuingSubwordPrefix_ = json::stringOr(model, "continuing_subword_prefix", "##");
    maxInputCharsPerWord_ = json::valueOr<std::size_t>(model, "max_input_chars_per_word", 100);
}

void WordPieceModel::tokenize(std::string_view word, std::vector<int>& ids) const {
    if (word.empty()) return;
    const auto boundaries = scalarBoundaries(word);
    if (boundaries.size() - 1 > maxInputCharsPerWord_) {
        ids.push_back(unknownId_);
        return;
    }
    const std::size_t firstNew = ids.size();
    std::string candidate;
    std::size_t start = 0; // index into boundaries
    while (start + 1 < boundaries.size()) {
        std::optional<int> found;
        std::size_t end = boundaries.size() - 1;
        for (; end > start; --end) {
            candidate.clear();
            if (start > 0) candidate += continuingSubwordPrefix_;
            candidate += word.substr(boundaries[start], boundaries[end] - boundaries[start]);
            if ((found = vocabulary_.id(candidate))) break;
        }
        if (!found) {
            ids.resize(firstNew);
            ids.push_back(unknownId_);
            return;
        }
        ids.push_back(*found);
        start = end;
    }
}

} // namespace modelhubkit
