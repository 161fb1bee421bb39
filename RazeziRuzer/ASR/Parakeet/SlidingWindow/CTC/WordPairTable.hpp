#pragma once
// Bigram entries keyed by a pair of word ids, held in one open-addressed
// array: about 16 bytes a pair, with no allocation per entry.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/ARPAEntry.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace razeziruzer {

class WordPairTable {
public:
    // Word ids must be below maxWordId.
    static constexpr std::uint32_t maxWordId = 0xFFFF'FFFFu;

    // Stores or replaces the entry of (first, second).
    void set(std::uint32_t first, std::uint32_t second, ARPAEntry entry);
    std::optional<ARPAEntry> find(std::uint32_t first, std::uint32_t second) const;
    std::size_t size() const { return size_; }

private:
    struct Slot {
        std::uint64_t key = emptyKey;
        ARPAEntry entry;
    };
    static constexpr std::uint64_t emptyKey = ~std::uint64_t{0};

    std::size_t slotOf(std::uint64_t key) const;
    void grow();

    std::vector<Slot> slots_;
    std::size_t size_ = 0;
};

} // namespace razeziruzer
