#pragma once
// The arithmetic of CTC log-probability inference: log-softmax with a
// temperature and a blank penalty, trimming the padded frames of a short
// window, the plan of overlapping windows for long audio, and joining the
// windows' frames by averaging their overlap in probability.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/CtcLogProbFrames.hpp"

#include <cstdint>
#include <vector>

namespace razeziruzer::CtcLogProbMath {

// Scores divided by the temperature (unless exactly 1), then normalised.
std::vector<float> logSoftmax(const std::vector<float>& scores, float temperature);

// Per frame: log-softmax, then blankBias subtracted from the blank when the
// bias is not 0 and blankId indexes the frame. Empty frames stay empty.
CtcLogProbFrames applyLogSoftmax(const CtcLogProbFrames& rawLogits, std::int64_t blankId, float temperature,
                                 float blankBias);

// The frames that cover `audioSampleCount` valid samples of a window of
// `windowSamples` (at least one frame; all frames for a full window).
CtcLogProbFrames trimLogProbs(CtcLogProbFrames frames, std::int64_t audioSampleCount, std::int64_t windowSamples);

struct WindowSpan {
    std::int64_t start;
    std::int64_t end;
};

// Windows of `windowSamples` every windowSamples - overlapSamples samples
// until one reaches the end of the audio.
std::vector<WindowSpan> windowPlan(std::int64_t sampleCount, std::int64_t windowSamples, std::int64_t overlapSamples);

struct WindowFrames {
    CtcLogProbFrames frames;
    double frameDuration = 0;
};

struct JoinedFrames {
    CtcLogProbFrames frames;
    double frameDuration = 0;
};

// Later windows' first frames are averaged (in probability) with the last
// frames of the list, as many as the overlap spans; empty windows are skipped.
JoinedFrames joinWindows(const std::vector<WindowFrames>& windows, double overlapSeconds);

} // namespace razeziruzer::CtcLogProbMath
