#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedText.hpp"

namespace razeziruzer {

std::string pieceText(std::string_view piece) {
    static constexpr std::string_view wordMark = "\u2581";
    std::string text;
    std::size_t at = 0;
    while (at < piece.size()) {
        if (piece.substr(at, wordMark.size()) == wordMark) {
            text += ' ';
            at += wordMark.size();
        } else {
            text += piece[at++];
        }
    }
    return text;
}

std::string trimSpacesAndTabs(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return "";
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

} // namespace razeziruzer
