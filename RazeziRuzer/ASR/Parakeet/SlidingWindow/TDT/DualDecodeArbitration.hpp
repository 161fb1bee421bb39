#pragma once
// The rule by which dual decode picks one of three chunkings after decoding
// the first chunks under each: A (quiet-spot starts), B (the same with warm-up
// prefixes) and C (the plain grid), judged by token counts, mean confidences
// and how well C's tokens agree with A's.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/TokenEntry.hpp"

#include <cstdint>
#include <string>
#include <vector>

namespace razeziruzer {

struct DualDecodeArbitration {
    enum class Chunking { a, b, c };

    // The token lists of one chunking's probe chunks, with their count and
    // confidence sum (added in list order, in single precision).
    struct ProbeTally {
        std::vector<std::vector<TokenEntry>> lists;
        std::int64_t count = 0;
        float confidenceSum = 0;

        void add(std::vector<TokenEntry> list);
        // Mean confidence; negative infinity without tokens.
        float meanConfidence() const;
    };

    float confA = 0, confB = 0, confC = 0;
    float ratioBA = 1, ratioCA = 1;
    float agreementCA = 1;
    Chunking choice = Chunking::a;

    // Everything is decided once the probe is done; overlapSeconds sets how
    // far apart (in frames) an A token and a C token may be and still agree.
    DualDecodeArbitration(const ProbeTally& a, const ProbeTally& b, const ProbeTally& c, double overlapSeconds);

    // "[dual-decode probe] A=(n=..., conf=...) ... -> X"
    std::string logLine(const ProbeTally& a, const ProbeTally& b, const ProbeTally& c) const;

    static char letter(Chunking chunking);
    // Shortest text that reads back as the same float; whole values end in
    // ".0", negative infinity is "-inf".
    static std::string floatText(float value);
};

} // namespace razeziruzer
