#pragma once
// Reads a Parakeet vocabulary file's JSON: an array of pieces (id = position)
// or an object of pieces keyed by decimal token ids (other keys are skipped).

#include "RazeziRuzer/ASR/Parakeet/Vocabulary.hpp"

#include <cstdint>
#include <optional>
#include <string_view>

namespace razeziruzer::ParakeetVocabulary {

// The largest vocabulary file read: the largest vocabularies hold well under
// a megabyte of pieces.
inline constexpr std::uintmax_t maximumFileBytes = 16u << 20;

// Nothing for JSON of another shape; throws nlohmann::json::parse_error for
// text that is no JSON, platform::JsonNestingError for JSON nested deeper than
// any vocabulary. Ids beyond the range of a token id are skipped.
std::optional<Vocabulary> parse(std::string_view json);

// A whole decimal number with an optional sign, within 64 bits.
std::optional<long long> parseDecimalKey(std::string_view key);

} // namespace razeziruzer::ParakeetVocabulary
