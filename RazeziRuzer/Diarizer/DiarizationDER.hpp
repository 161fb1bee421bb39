#pragma once
// Frame-based diarization error rate: both diarizations laid on a grid of
// frames, hypothesis speakers mapped one-to-one onto reference speakers by
// maximum overlap, and frames near reference boundaries optionally left
// unscored by a collar.

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace razeziruzer {

struct DERSpeakerSegment {
    std::string speaker;
    double start = 0;  // seconds
    double end = 0;    // seconds

    bool operator==(const DERSpeakerSegment&) const = default;
};

struct DERResult {
    // (falseAlarm + miss + confusion) / totalRefSpeech. Without reference
    // speech it is 0 when the hypothesis is silent too, and +infinity when the
    // hypothesis claims speech (all of it false alarm).
    double der = 0;
    double confusion = 0;       // seconds
    double falseAlarm = 0;      // seconds
    double miss = 0;            // seconds
    double totalRefSpeech = 0;  // seconds, each speaker counted in overlapped frames
    // Hypothesis label to reference label; unmapped labels are absent.
    std::map<std::string, std::string> mapping;
};

namespace DiarizationDER {

// Throws DiarizerError::processingFailed for a frame step that is not
// positive, a negative or NaN collar, or times that cannot be laid on the grid.
DERResult compute(std::span<const DERSpeakerSegment> ref, std::span<const DERSpeakerSegment> hyp,
                  double frameStep = 0.01, double collar = 0.0);

// One entry per frame, false within collar / 2 of a reference boundary.
std::vector<bool> collarMask(std::span<const DERSpeakerSegment> ref, std::int64_t numFrames, double frameStep,
                             double collar);

} // namespace DiarizationDER
} // namespace razeziruzer
