#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NemotronMultilingualTokenizer.hpp"

namespace razeziruzer {
namespace {

std::string collapseSpaceRuns(const std::string& text) {
    std::string collapsed;
    collapsed.reserve(text.size());
    for (const char character : text) {
        if (character == ' ' && !collapsed.empty() && collapsed.back() == ' ') continue;
        collapsed.push_back(character);
    }
    return collapsed;
}

} // namespace

NemotronMultilingualTokenizer::NemotronMultilingualTokenizer(const std::filesystem::path& vocabPath,
                                                             std::set<std::int64_t> langTagTokenIds)
    : base_(vocabPath), langTagTokenIds_(std::move(langTagTokenIds)) {}

std::string NemotronMultilingualTokenizer::languageOfTag(const std::string& piece) {
    if (piece.size() >= 2 && piece.front() == '<' && piece.back() == '>') return piece.substr(1, piece.size() - 2);
    return piece;
}

NemotronMultilingualDecoded NemotronMultilingualTokenizer::decode(const std::vector<std::int64_t>& ids) const {
    std::vector<std::int64_t> kept;
    kept.reserve(ids.size());
    std::optional<std::string> language;
    for (const auto id : ids) {
        if (!langTagTokenIds_.contains(id)) {
            kept.push_back(id);
            continue;
        }
        if (language) continue;
        if (const auto piece = base_.piece(id)) language = languageOfTag(*piece);
    }
    return {collapseSpaceRuns(base_.decode(kept)), language};
}

std::optional<std::int64_t> NemotronMultilingualTokenizer::langTagTokenId(const std::string& forLanguage) const {
    const auto tag = "<" + forLanguage + ">";
    for (const auto id : langTagTokenIds_) {
        if (base_.piece(id) == tag) return id;
    }
    return std::nullopt;
}

} // namespace razeziruzer
