#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/CtcTokenPieces.hpp"

#include "RazeziRuzer/Shared/ASRConstants.hpp"

#include <algorithm>

namespace razeziruzer {

CtcTokenPieces::CtcTokenPieces(const Vocabulary& vocabulary, std::size_t tokenCount) : pieces_(tokenCount) {
    constexpr std::string_view mark = ASRConstants::sentencePieceWordBoundary;
    for (const auto& [id, text] : vocabulary) {
        if (id < 0 || static_cast<std::size_t>(id) >= tokenCount) continue;
        const std::string_view piece = text;
        const bool startsWord = piece.starts_with(mark);
        pieces_[static_cast<std::size_t>(id)] = {startsWord ? piece.substr(mark.size()) : piece, startsWord};
    }
}

std::string CtcTokenPieces::word(const CtcPrefixArena& arena, CtcPrefixArena::Id prefix,
                                 CtcPrefixArena::Id wordStart, std::size_t bytes) const {
    std::string text(bytes, '\0');
    auto end = text.end();
    const auto prepend = [&](CtcPrefixArena::Id node) {
        const std::string_view piece = (*this)[arena.lastToken(node)].wordText;
        end = std::copy_backward(piece.begin(), piece.end(), end);
    };
    for (CtcPrefixArena::Id node = prefix; node != wordStart; node = arena.parent(node)) prepend(node);
    if (wordStart != CtcPrefixArena::empty) prepend(wordStart);
    return text;
}

} // namespace razeziruzer
