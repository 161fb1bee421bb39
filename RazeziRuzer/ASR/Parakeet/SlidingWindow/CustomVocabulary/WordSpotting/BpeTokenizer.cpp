#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/BpeTokenizer.hpp"

#include "Platform/Core/BoundedJson.hpp"
#include "Platform/Core/BoundedRead.hpp"
#include "Platform/Text/CaseMapping.hpp"
#include "Platform/Text/Characters.hpp"
#include "Platform/Text/Normalization.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/BpeTokenizerError.hpp"
#include "RazeziRuzer/Shared/ASRConstants.hpp"

#include <fstream>

namespace razeziruzer {

namespace {

const std::string wordStartMark(ASRConstants::sentencePieceWordBoundary);

std::string readWholeFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::filesystem::filesystem_error("cannot read", file, std::make_error_code(std::errc::io_error));
    return platform::readAtMost(in, BpeTokenizer::maximumFileBytes, file.string());
}

std::unordered_map<std::string, int> readVocab(const nlohmann::json& model) {
    const auto found = model.find("vocab");
    if (found == model.end() || !found->is_object()) throw BpeTokenizerError::missingField("model.vocab");
    std::unordered_map<std::string, int> vocab;
    for (const auto& [piece, id] : found->items()) {
        if (!id.is_number_integer()) throw BpeTokenizerError::missingField("model.vocab");
        vocab[piece] = id.get<int>();
    }
    return vocab;
}

// "left right": the left part runs to the first space after any leading
// spaces; the right part is everything after that space.
std::optional<std::pair<std::string, std::string>> parseMerge(const std::string& rule) {
    const auto start = rule.find_first_not_of(' ');
    if (start == std::string::npos) return std::nullopt;
    const auto space = rule.find(' ', start);
    if (space == std::string::npos) return std::nullopt;
    std::string left = rule.substr(start, space - start);
    std::string right = rule.substr(space + 1);
    if (left.empty() || right.empty()) return std::nullopt;
    return std::make_pair(std::move(left), std::move(right));
}

std::vector<std::pair<std::string, std::string>> readMerges(const nlohmann::json& model) {
    const auto found = model.find("merges");
    if (found == model.end() || !found->is_array()) throw BpeTokenizerError::missingField("model.merges");
    std::vector<std::pair<std::string, std::string>> merges;
    for (const auto& rule : *found) {
        if (!rule.is_string()) throw BpeTokenizerError::missingField("model.merges");
        if (auto pair = parseMerge(rule.get<std::string>())) merges.push_back(std::move(*pair));
    }
    return merges;
}

std::unordered_map<std::string, int> readAddedTokens(const nlohmann::json& root) {
    std::unordered_map<std::string, int> added;
    const auto found = root.find("added_tokens");
    if (found == root.end() || !found->is_array()) return added;
    for (const auto& entry : *found) {
        if (!entry.is_object()) continue;
        const auto content = entry.find("content");
        const auto id = entry.find("id");
        if (content == entry.end() || !content->is_string() || id == entry.end() || !id->is_number_integer()) continue;
        added[content->get<std::string>()] = id->get<int>();
    }
    return added;
}

} // namespace

BpeTokenizer::BpeTokenizer(std::unordered_map<std::string, int> vocab,
                           std::vector<std::pair<std::string, std::string>> merges,
                           std::unordered_map<std::string, int> addedTokens)
    : vocab_(std::move(vocab)), merges_(std::move(merges)), addedTokens_(std::move(addedTokens)) {
    for (std::size_t i = 0; i < merges_.size(); ++i) ranks_.try_emplace(merges_[i], i);
}

BpeTokenizer BpeTokenizer::load(const std::filesystem::path& folder) {
    const auto file = folder / "tokenizer.json";
    if (!std::filesystem::exists(file)) throw BpeTokenizerError::fileNotFound(file);
    const auto root = platform::parseBoundedJson(readWholeFile(file));
    if (!root.is_object()) throw BpeTokenizerError::invalidJSON("Root is not a dictionary");
    const auto model = root.find("model");
    if (model == root.end() || !model->is_object()) throw BpeTokenizerError::missingField("model");
    const auto type = model->find("type");
    if (type == model->end() || !type->is_string()) throw BpeTokenizerError::missingField("model.type");
    if (type->get<std::string>() != "BPE") throw BpeTokenizerError::unsupportedTokenizerType(type->get<std::string>());
    auto vocab = readVocab(*model);
    auto merges = readMerges(*model);
    return BpeTokenizer(std::move(vocab), std::move(merges), readAddedTokens(root));
}

std::optional<std::size_t> BpeTokenizer::rank(const std::string& left, const std::string& right) const {
    const auto found = ranks_.find({left, right});
    if (found == ranks_.end()) return std::nullopt;
    return found->second;
}

std::optional<int> BpeTokenizer::idOf(const std::string& piece) const {
    for (const auto* map : {&addedTokens_, &vocab_}) {
        if (const auto found = map->find(piece); found != map->end()) return found->second;
    }
    for (const auto* map : {&addedTokens_, &vocab_}) {
        if (const auto found = map->find("<unk>"); found != map->end()) return found->second;
    }
    return std::nullopt;
}

std::vector<int> BpeTokenizer::encode(const std::string& text, bool /*addSpecialTokens*/,
                                      bool prependWordBoundary) const {
    const std::string composed =
        platform::text::normalize(platform::text::lowercased(text), platform::text::NormalizationForm::nfkc);
    std::string marked = prependWordBoundary ? wordStartMark : std::string();
    for (const char c : composed) {
        if (c == ' ') {
            marked += wordStartMark;
        } else {
            marked += c;
        }
    }
    auto pieces = platform::text::characters(marked);
    while (pieces.size() >= 2) {
        std::optional<std::size_t> best;
        for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
            const auto pairRank = rank(pieces[i], pieces[i + 1]);
            if (pairRank && (!best || *pairRank < *best)) best = pairRank;
        }
        if (!best) break;
        const auto& [left, right] = merges_[*best];
        std::vector<std::string> merged;
        merged.reserve(pieces.size());
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            if (i + 1 < pieces.size() && pieces[i] == left && pieces[i + 1] == right) {
                merged.push_back(pieces[i] + pieces[i + 1]);
                ++i;
            } else {
                merged.push_back(pieces[i]);
            }
        }
        pieces = std::move(merged);
    }
    std::vector<int> ids;
    ids.reserve(pieces.size());
    for (const auto& piece : pieces) {
        if (const auto id = idOf(piece)) ids.push_back(*id);
    }
    return ids;
}

} // namespace razeziruzer
