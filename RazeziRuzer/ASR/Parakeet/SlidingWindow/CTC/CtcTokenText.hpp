#pragma once
// Token ids of a CTC model to text: pieces joined, word-start marks (U+2581)
// turned into spaces, horizontal white space trimmed at both ends.

#include "RazeziRuzer/ASR/Parakeet/Vocabulary.hpp"

#include <string>
#include <vector>

namespace razeziruzer {

// Ids missing from the vocabulary are skipped.
std::string decodeCtcTokenIds(const std::vector<int>& tokenIds, const Vocabulary& vocabulary);

} // namespace razeziruzer
