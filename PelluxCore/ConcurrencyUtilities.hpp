#pragma once
// Facts about the processors available to parallel work.

namespace pelluxcore {

struct ConcurrencyUtilities {
    // Processors currently online, read afresh on each call; at least 1, so a
    // worker count taken from it never drops or stalls work.
    static int activeProcessorCount();
};

} // namespace pelluxcore
