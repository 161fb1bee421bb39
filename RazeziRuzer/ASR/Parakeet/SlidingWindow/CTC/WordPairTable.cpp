#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/WordPairTable.hpp"

#include <stdexcept>

namespace razeziruzer {

namespace {

std::uint64_t keyOf(std::uint32_t first, std::uint32_t second) {
    if (first >= WordPairTable::maxWordId || second >= WordPairTable::maxWordId) {
        throw std::length_error("too many distinct words for a word-pair table");
    }
    return (std::uint64_t{first} << 32) | second;
}

// Spreads the ids over every bit, so neighbouring pairs land apart.
std::uint64_t mixed(std::uint64_t key) {
    key ^= key >> 33;
    key *= 0xff51afd7ed558ccdULL;
    key ^= key >> 33;
    key *= 0xc4ceb9fe1a85ec53ULL;
    key ^= key >> 33;
    return key;
}

} // namespace

// The slot holding `key`, or the empty slot where it belongs. The table is
// never full, so the probe ends.
std::size_t WordPairTable::slotOf(std::uint64_t key) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = static_cast<std::size_t>(mixed(key)) & mask;
    while (slots_[slot].key != key && slots_[slot].key != emptyKey) slot = (slot + 1) & mask;
    return slot;
}

void WordPairTable::grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 16 : old.size() * 2, Slot{});
    for (const Slot& slot : old) {
        if (slot.key != emptyKey) slots_[slotOf(slot.key)] = slot;
    }
}

void WordPairTable::set(std::uint32_t first, std::uint32_t second, ARPAEntry entry) {
    const std::uint64_t key = keyOf(first, second);
    // At most three quarters full, so probes stay short.
    if (4 * (size_ + 1) > 3 * slots_.size()) grow();
    Slot& slot = slots_[slotOf(key)];
    if (slot.key == emptyKey) ++size_;
    slot = {key, entry};
}

std::optional<ARPAEntry> WordPairTable::find(std::uint32_t first, std::uint32_t second) const {
    if (slots_.empty() || first >= maxWordId || second >= maxWordId) return std::nullopt;
    const Slot& slot = slots_[slotOf((std::uint64_t{first} << 32) | second)];
    if (slot.key == emptyKey) return std::nullopt;
    return slot.entry;
}

} // namespace razeziruzer
