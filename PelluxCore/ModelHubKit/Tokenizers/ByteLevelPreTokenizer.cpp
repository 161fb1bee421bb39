#include "PelluxCore/ModelHubKit/Tokenizers/ByteLevelPreTokenizer.hpp"

#include "PelluxCore/ModelHubKit/Tokenizers/ByteLevelAlphabet.hpp"

namespace modelhubkit {
namespace {

// Contractions, an optional space before a run of letters, of digits or of
// other symbols, and white space (a run before a word leaves its last space
// to that word).
constexpr const char* wordPattern =
    R"('s|'t|'re|'ve|'m|'ll|'d| ?\p{L}+| ?\p{N}+| ?[^\s\p{L}\p{N}]+|\s+(?!\S)|\s+)";

} // namespace

ByteLevelPreTokenizer::ByteLevelPreTokenizer(bool addPrefixSpace, bool useRegex) : addPrefixSpace_(addPrefixSpace) {
    if (useRegex) wordPattern_.emplace(wordPattern);
}

void ByteLevelPreTokenizer::appendMapped(std::string_view word, std::vector<std::string>& words) const {
    if (word.empty()) return;
    std::string mapped;
    ByteLevelAlphabet::shared().encode(word, mapped);
    words.push_back(std::move(mapped));
}

void ByteLevelPreTokenizer::split(std::string_view piece, bool, std::vector<std::string>& words) const {
    std::string prefixed;
    if (addPrefixSpace_ && !piece.empty() && piece.front() != ' ') {
        prefixed.reserve(piece.size() + 1);
        prefixed += ' ';
        prefixed += piece;
        piece = prefixed;
    }
    if (!wordPattern_) {
        appendMapped(piece, words);
        return;
    }
    std::size_t position = 0;
    for (const auto& match : wordPattern_->allMatches(piece)) {
        const auto& range = match.range();
        appendMapped(piece.substr(position, range.begin - position), words); // the pattern leaves no gaps; kept whole if it did
        appendMapped(range.of(piece), words);
        position = range.end;
    }
    appendMapped(piece.substr(position), words);
}

} // namespace modelhubkit
