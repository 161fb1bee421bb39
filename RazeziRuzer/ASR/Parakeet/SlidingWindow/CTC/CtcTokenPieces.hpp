#pragma once
// The vocabulary pieces of a CTC beam search by token id, each with the text
// it adds to the word being built and whether it starts a new word, and the
// text of a word read back from the shared prefixes.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/CtcPrefixArena.hpp"
#include "RazeziRuzer/ASR/Parakeet/Vocabulary.hpp"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace razeziruzer {

class CtcTokenPieces {
public:
    struct Piece {
        std::string_view wordText; // the piece without its word-start mark; empty for an id without one
        bool startsWord = false;
    };

    // Ids 0 to tokenCount - 1; views into `vocabulary`, which must outlive this.
    CtcTokenPieces(const Vocabulary& vocabulary, std::size_t tokenCount);

    const Piece& operator[](int token) const { return pieces_[static_cast<std::size_t>(token)]; }

    // The word of `prefix` whose text is `bytes` long and that began at the
    // node `wordStart` (the word-start token, or the empty prefix when no
    // token started it): that token's word text and the pieces after it.
    std::string word(const CtcPrefixArena& arena, CtcPrefixArena::Id prefix, CtcPrefixArena::Id wordStart,
                     std::size_t bytes) const;

private:
    std::vector<Piece> pieces_;
};

} // namespace razeziruzer
