#pragma once
// One decoded token of a long recording: what chunk results carry and what
// chunk merging joins. Timestamps count encoder frames (1,280 samples, 0.08 s)
// from the start of the whole recording.

namespace razeziruzer {

struct TokenEntry {
    int token = 0;
    int timestamp = 0;
    float confidence = 0;
    int duration = 0; // frames; 0 when the decoder gave none

    bool operator==(const TokenEntry&) const = default;
};

} // namespace razeziruzer
