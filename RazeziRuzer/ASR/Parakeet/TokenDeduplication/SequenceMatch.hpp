#pragma once
// One match found by a sequence search: where it starts in the earlier (left)
// and the later (right) sequence, and how many elements it covers.

namespace razeziruzer {

struct SequenceMatch {
    int leftStartIndex = 0;
    int rightStartIndex = 0;
    int length = 0;

    bool operator==(const SequenceMatch&) const = default;
};

} // namespace razeziruzer
