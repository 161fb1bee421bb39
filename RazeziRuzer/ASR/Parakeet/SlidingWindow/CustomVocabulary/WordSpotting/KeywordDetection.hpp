#pragma once
// Where a vocabulary term was found in CTC log-probabilities, and the result
// of spotting: the detections with the frames that were searched.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/CtcLogProbFrames.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/CustomVocabularyTerm.hpp"

#include <cstdint>
#include <vector>

namespace razeziruzer {

struct KeywordDetection {
    CustomVocabularyTerm term;
    // Path log-probability divided by the number of non-wildcard tokens.
    float score;
    std::int64_t totalFrames;
    std::int64_t startFrame;
    // One past the last frame of the span.
    std::int64_t endFrame;
    double startTime;
    double endTime;
};

struct SpotKeywordsResult {
    // In vocabulary order; within one term by start frame.
    std::vector<KeywordDetection> detections;
    CtcLogProbFrames logProbs;
    double frameDuration = 0;
    std::int64_t totalFrames = 0;
};

struct ConstrainedSpot {
    float score;
    std::int64_t startFrame;
    std::int64_t endFrame;
};

} // namespace razeziruzer
