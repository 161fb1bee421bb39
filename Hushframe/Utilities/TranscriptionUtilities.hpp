#pragma once
// Operations on finished transcriptions outside a single run: shifting a
// segment along the timeline, printing segments, comparing word sequences,
// and folding several results into one. Pure functions.

#include "Hushframe/Core/Models/TranscriptionResult.hpp"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace hushframe::TranscriptionUtilities {

// The segment moved later by `seekTime` seconds: its seek by the matching
// sample count, its times and its words' times by the seconds.
TranscriptionSegment updateSegmentTimings(const TranscriptionSegment& segment, float seekTime);

// One line per segment: "[start --> end] text" with two decimals, or the text alone.
std::vector<std::string> formatSegments(const std::vector<TranscriptionSegment>& segments, bool withTimestamps);

// The leading words of `second` that agree with `first` once case,
// hyphens, punctuation and surrounding spaces are set aside.
std::vector<WordTiming> findLongestCommonPrefix(const std::vector<WordTiming>& first,
                                                const std::vector<WordTiming>& second);
// The words of `second` after that common prefix.
std::vector<WordTiming> findLongestDifferentSuffix(const std::vector<WordTiming>& first,
                                                   const std::vector<WordTiming>& second);

// One result from several (absent entries allowed); the text comes from
// `confirmedWords` when given. The inputs are read, never changed.
std::unique_ptr<TranscriptionResult>
mergeTranscriptionResults(const std::vector<std::shared_ptr<const TranscriptionResult>>& results,
                          const std::optional<std::vector<WordTiming>>& confirmedWords = std::nullopt);

} // namespace hushframe::TranscriptionUtilities
