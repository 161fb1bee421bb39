#include "PelluxCore/ModelHubKit/Tokenizers/BPEModel.hpp"

#include "PelluxCore/ModelHubKit/Tokenizers/JsonFields.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/TokenizerError.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/Utf8.hpp"

#include <cstdio>
#include <functional>
#include <limits>
#include <queue>

namespace modelhubkit {
namespace {

std::uint64_t pairKey(int left, int right) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(left)) << 32) | static_cast<std::uint32_t>(right);
}

std::pair<std::string, std::string> mergeParts(const nlohmann::json& merge) {
    if (merge.is_array() && merge.size() == 2) return {merge[0].get<std::string>(), merge[1].get<std::string>()};
    if (merge.is_string()) {
        const auto& text = merge.get_ref<const std::string&>();
        const auto space = text.find(' ');
        if (space != std::string::npos && space > 0 && space + 1 < text.size()) {
            return {text.substr(0, space), text.substr(space + 1)};
        }
    }
    throw TokenizerError(TokenizerErrorKind::malformedTokenizer, "Malformed BPE merge " + merge.dump());
}

std::string byteToken(unsigned char byte) {
    char text[8];
    std::snprintf(text, sizeof text, "<0x%02X>", byte);
    return text;
}

} // namespace

BPEModel::BPEModel(const nlohmann::json& model) {
    const auto& vocab = model.at("vocab");
    if (!vocab.is_object()) {
        throw TokenizerError(TokenizerErrorKind::malformedTokenizer, "The BPE \"vocab\" must map token texts to ids");
    }
    for (const auto& [token, id] : vocab.items()) vocabulary_.add(token, json::tokenId(id));
    unknownToken_ = json::optionalString(model, "unk_token");
    if (unknownToken_) {
        unknownId_ = vocabulary_.id(*unknownToken_);
        if (!unknownId_) {
            throw TokenizerError(TokenizerErrorKind::malformedTokenizer,
                                 "Unknown token \"" + *unknownToken_ + "\" is not in the BPE vocabulary");
        }
    }
    continuingSubwordPrefix_ = json::stringOr(model, "continuing_subword_prefix", "");
    endOfWordSuffix_ = json::stringOr(model, "end_of_word_suffix", "");
    fuseUnknown_ = json::valueOr(model, "fuse_unk", false);
    byteFallback_ = json::valueOr(model, "byte_fallback", false);
    ignoreMerges_ = json::valueOr(model, "ignore_merges", false);
    if (const auto merges = model.find("merges"); merges != model.end() && !merges->is_null()) addMerges(*merges);
}

void BPEModel::addMerges(const nlohmann::json& merges) {
    merges_.reserve(merges.size());
    std::size_t rank = 0;
    for (const auto& merge : merges) {
        const auto [left, right] = mergeParts(merge);
        const auto leftId = vocabulary_.id(left);
        const auto rightId = vocabulary_.id(right);
        const auto mergedId = vocabulary_.id(left + right);
        if (!leftId || !rightId || !mergedId) {
            throw TokenizerError(TokenizerErrorKind::malformedTokenizer,
                                 "BPE merge \"" + left + " " + right + "\" uses a token that is not in the vocabulary");
        }
        // The first listed merge of a pair wins, as it has the better rank.
        merges_.emplace(pairKey(*leftId, *rightId), Merge{rank++, *mergedId});
    }
}

std::optional<BPEModel::Merge> BPEModel::mergeOf(int left, int right) const {
    const auto found = merges_.find(pairKey(left, right));
    if (found == merges_.end()) return std::nullopt;
    return found->second;
}

void BPEModel::appendUnknown(std::string_view character, std::vector<int>& symbols) const {
    if (byteFallback_) {
        std::vector<int> bytes;
        for (const char byte : character) {
            const auto id = vocabulary_.id(byteToken(static_cast<unsigned char>(byte)));
            if (!id) break;
            bytes.push_back(*id);
        }
        if (bytes.size() == character.size()) {
            symbols.insert(symbols.end(), bytes.begin(), bytes.end());
            return;
        }
    }
    if (!unknownId_) {
        throw TokenizerError(TokenizerErrorKind::encodingFailed,
                             "No token for \"" + utf8::makeValid(character) + "\" and no unknown token");
    }
    if (fuseUnknown_ && !symbols.empty() && symbols.back() == *unknownId_) return;
    symbols.push_back(*unknownId_);
}

void BPEModel::appendCharacterSymbols(std::string_view word, std::vector<int>& symbols) const {
    std::string piece;
    std::size_t offset = 0;
    while (offset < word.size()) {
        const std::size_t start = offset;
        utf8::nextScalar(word, offset);
        const std::string_view character = word.substr(start, offset - start);
        piece.clear();
        if (start > 0) piece += continuingSubwordPrefix_;
        piece += character;
        if (offset == word.size()) piece += endOfWordSuffix_;
        if (const auto id = vocabulary_.id(piece)) {
            symbols.push_back(*id);
        } else {
            appendUnknown(character, symbols);
        }
    }
}

void BPEModel::tokenize(std::string_view word, std::vector<int>& ids) const {
    if (word.empty()) return;
    if (ignoreMerges_) {
        if (const auto id = vocabulary_.id(word)) {
            ids.push_back(*id);
            return;
        }
    }
    std::vector<int> symbols;
    symbols.reserve(word.size());
    appendCharacterSymbols(word, symbols);
    applyMerges(symbols);
    ids.insert(ids.end(), symbols.begin(), symbols.end());
}

void BPEModel::applyMerges(std::vector<int>& symbols) const {
    if (symbols.size() < 2) return;
    // Symbols form a linked list; candidate merges wait in a queue ordered by
    // rank, then position, so that the best-ranked leftmost pair merges first
    // and a long word costs n log n rather than n squared.
    struct Candidate {
        std::size_t rank;
        std::size_t left;
        int leftId;
        int rightId;
        bool operator>(const Candidate& other) const {
            return rank != other.rank ? rank > other.rank : left > other.left;
        }
    };
    constexpr std::size_t none = std::numeric_limits<std::size_t>::max();
    const std::size_t count = symbols.size();
    std::vector<std::size_t> previous(count);
    std::vector<std::size_t> next(count);
    std::vector<bool> alive(count, true);
    for (std::size_t i = 0; i < count; ++i) {
        previous[i] = i == 0 ? none : i - 1;
        next[i] = i + 1 == count ? none : i + 1;
    }
    std::priority_queue<Candidate, std::vector<Candidate>, std::greater<>> queue;
    const auto consider = [&](std::size_t left) {
        if (left == none || next[left] == none) return;
        if (const auto merge = mergeOf(symbols[left], symbols[next[left]])) {
            queue.push({merge->rank, left, symbols[left], symbols[next[left]]});
        }
    };
    for (std::size_t i = 0; i + 1 < count; ++i) consider(i);
    while (!queue.empty()) {
        const Candidate candidate = queue.top();
        queue.pop();
        const std::size_t left = candidate.left;
        const std::size_t right = next[left];
        // Skip candidates made stale by an earlier merge of either symbol.
        if (!alive[left] || right == none || symbols[left] != candidate.leftId || symbols[right] != candidate.rightId) continue;
        symbols[left] = mergeOf(candidate.leftId, candidate.rightId)->merged;
        alive[right] = false;
        next[left] = next[right];
        if (next[right] != none) previous[next[right]] = left;
        consider(previous[left]);
        consider(left);
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (alive[i]) symbols[kept++] = symbols[i];
    }
    symbols.resize(kept);
}

} // namespace modelhubkit
