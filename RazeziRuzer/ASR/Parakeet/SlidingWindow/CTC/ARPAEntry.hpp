#pragma once
// The scores of one n-gram of an ARPA model, in natural-log units.

namespace razeziruzer {

struct ARPAEntry {
    float logProb = 0;
    float backoff = 0;
};

} // namespace razeziruzer
