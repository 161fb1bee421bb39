#include "PelluxCore/ModelHubKit/Tokenizers/UnigramModel.hpp"

#include "PelluxCore/ModelHubKit/Tokenizers/JsonFields.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/TokenizerError.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/Utf8.hpp"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace modelhubkit {
namespace {

// An unknown character costs this much more than the least likely piece, so
// that any cut through known pieces is preferred.
constexpr double unknownPenalty = 10.0;

struct Best {
    double score = -std::numeric_limits<double>::infinity();
    std::size_t start = 0;   // byte offset where the last piece begins
    int id = -1;             // -1: the last piece is an unknown character
    bool reached = false;
};

} // namespace

UnigramModel::UnigramModel(const nlohmann::json& model) {
    const auto& vocab = model.at("vocab");
    if (!vocab.is_array()) {
        throw TokenizerError(TokenizerErrorKind::malformedTokenizer, "The Unigram \"vocab\" must list [piece, score] pairs");
    }
    double lowest = 0;
    for (std::size_t id = 0; id < vocab.size(); ++id) {
        const auto& entry = vocab[id];
        auto piece = entry.at(0).get<std::string>();
        const double score = entry.at(1).get<double>();
        longestPiece_ = std::max(longestPiece_, piece.size());
        lowest = std::min(lowest, score);
        vocabulary_.add(std::move(piece), static_cast<int>(id));
        scores_.push_back(score);
    }
    unknownScore_ = lowest - unknownPenalty;
    if (const auto unknown = model.find("unk_id"); unknown != model.end() && !unknown->is_null()) {
        const int id = json::tokenId(*unknown);
        if (id < 0 || static_cast<std::size_t>(id) >= scores_.size()) {
            throw TokenizerError(TokenizerErrorKind::malformedTokenizer,
                                 "Unigram unknown id " + std::to_string(id) + " is outside the vocabulary");
        }
        unknownId_ = id;
    }
    byteFallback_ = json::valueOr(model, "byte_fallback", false);
}

std::optional<std::string> UnigramModel::unknownToken() const {
    if (!unknownId_) return std::nullopt;
    return *vocabulary_.token(*unknownId_);
}

bool UnigramModel::appendBytes(std::string_view character, std::vector<int>& ids) const {
    std::vector<int> bytes;
    for (const char byte : character) {
        char token[8];
        std::snprintf(token, sizeof token, "<0x%02X>", static_cast<unsigned char>(byte));
        const auto id = vocabulary_.id(token);
        if (!id) return false;
        bytes.push_back(*id);
    }
    ids.insert(ids.end(), bytes.begin(), bytes.end());
    return true;
}

void UnigramModel::tokenize(std::string_view word, std::vector<int>& ids) const {
    if (word.empty()) return;
    std::vector<Best> best(word.size() + 1);
    best[0] = {0, 0, -1, true};
    std::size_t start = 0;
    while (start < word.size()) {
        std::size_t characterEnd = start;
        utf8::nextScalar(word, characterEnd);
        if (best[start].reached) {
            bool covered = false;
            std::size_t end = characterEnd;
            const std::size_t limit = std::min(word.size(), start + longestPiece_);
            while (end <= limit) {
                if (const auto id = vocabulary_.id(word.substr(start, end - start))) {
                    covered = covered || end == characterEnd;
                    const double score = best[start].score + scores_[static_cast<std::size_t>(*id)];
                    if (!best[end].reached || score > best[end].score) best[end] = {score, start, *id, true};
                }
                if (end == word.size()) break;
                utf8::nextScalar(word, end);
            }
            if (!covered) {
                const double score = best[start].score + unknownScore_;
                if (!best[characterEnd].reached || score > best[characterEnd].score) {
                    best[characterEnd] = {score, start, -1, true};
                }
            }
        }
        start = characterEnd;
    }

    std::vector<std::pair<std::size_t, int>> pieces; // start offset and id, from the end
    for (std::size_t end = word.size(); end > 0; end = best[end].start) pieces.emplace_back(best[end].start, best[end].id);
    std::reverse(pieces.begin(), pieces.end());

    bool previousUnknown = false;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const auto [pieceStart, id] = pieces[i];
        if (id >= 0) {
            ids.push_back(id);
            previousUnknown = false;
            continue;
        }
        const std::size_t pieceEnd = i + 1 < pieces.size() ? pieces[i + 1].first : word.size();
        const std::string_view character = word.substr(pieceStart, pieceEnd - pieceStart);
        if (byteFallback_ && appendBytes(character, ids)) {
            previousUnknown = false;
            continue;
        }
        if (!unknownId_) {
            throw TokenizerError(TokenizerErrorKind::encodingFailed,
                                 "No token for \"" + utf8::makeValid(character) + "\" and no unknown token");
        }
        if (!previousUnknown) ids.push_back(*unknownId_);
        previousUnknown = true;
    }
}

} // namespace modelhubkit
