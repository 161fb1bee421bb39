#pragma once
// A Parakeet token vocabulary: token id to its SentencePiece text.

#include <string>
#include <unordered_map>

namespace razeziruzer {

using Vocabulary = std::unordered_map<int, std::string>;

} // namespace razeziruzer
