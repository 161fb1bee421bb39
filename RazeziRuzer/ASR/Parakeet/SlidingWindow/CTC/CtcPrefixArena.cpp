#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/CtcPrefixArena.hpp"

#include <limits>
#include <stdexcept>

namespace razeziruzer {

CtcPrefixArena::Id CtcPrefixArena::extend(Id parent, int token) {
    const auto [child, inserted] = children_.try_emplace(childKey(parent, token), static_cast<Id>(nodes_.size()));
    if (!inserted) return child->second;
    if (nodes_.size() >= static_cast<std::size_t>(std::numeric_limits<Id>::max())) {
        children_.erase(child);
        throw std::length_error("too many CTC prefixes");
    }
    nodes_.push_back({parent, token, static_cast<std::uint32_t>(length(parent) + 1)});
    return child->second;
}

std::vector<int> CtcPrefixArena::tokens(Id prefix) const {
    std::vector<int> sequence(length(prefix));
    for (auto slot = sequence.rbegin(); slot != sequence.rend(); ++slot) {
        *slot = nodes_[index(prefix)].token;
        prefix = nodes_[index(prefix)].parent;
    }
    return sequence;
}

void CtcPrefixArena::collect(std::span<Id* const> live) {
    constexpr std::size_t smallest = 4096;
    if (nodes_.size() < smallest || nodes_.size() < 2 * keptAtLastCollect_) return;
    // A node's parent always comes before it, so one pass in order renumbers
    // every parent before its children.
    std::vector<Id> renumbered(nodes_.size(), empty);
    constexpr Id marked = -2;
    for (Id* prefix : live) {
        for (Id node = *prefix; node != empty && renumbered[index(node)] != marked; node = nodes_[index(node)].parent) {
            renumbered[index(node)] = marked;
        }
    }
    std::size_t kept = 0;
    children_.clear();
    for (std::size_t i = 0; i < nodes_.size(); ++i) {
        if (renumbered[i] != marked) continue;
        Node node = nodes_[i];
        if (node.parent != empty) node.parent = renumbered[index(node.parent)];
        nodes_[kept] = node;
        renumbered[i] = static_cast<Id>(kept);
        children_.emplace(childKey(node.parent, node.token), static_cast<Id>(kept));
        ++kept;
    }
    nodes_.resize(kept);
    keptAtLastCollect_ = kept;
    for (Id* prefix : live) {
        if (*prefix != empty) *prefix = renumbered[index(*prefix)];
    }
}

} // namespace razeziruzer
