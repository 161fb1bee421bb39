#pragma once
// The token prefixes of a CTC prefix beam search, shared between hypotheses
// as a trie: each prefix is one node holding its last token and a link to the
// prefix before it, and a prefix is never stored twice, so two hypotheses have
// the same prefix exactly when they have the same node. Extending a prefix
// costs one node, not a copy of the prefix.

#include <cstddef>
#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

namespace razeziruzer {

class CtcPrefixArena {
public:
    using Id = std::int32_t;
    // The empty prefix; it has no node.
    static constexpr Id empty = -1;

    // The node of `parent` followed by `token`, made when it is new.
    Id extend(Id parent, int token);

    std::size_t length(Id prefix) const { return prefix == empty ? 0 : nodes_[index(prefix)].length; }
    int lastToken(Id prefix) const { return nodes_[index(prefix)].token; }
    // The prefix without its last token.
    Id parent(Id prefix) const { return nodes_[index(prefix)].parent; }
    std::vector<int> tokens(Id prefix) const;

    // Drops every node no prefix in `live` reaches and renumbers the rest,
    // rewriting `live` in place. Cheap enough to call every step: it works
    // only once the arena has doubled since the last time.
    void collect(std::span<Id* const> live);
    std::size_t nodeCount() const { return nodes_.size(); }

private:
    struct Node {
        Id parent;
        int token;
        std::uint32_t length;
    };
    static std::size_t index(Id prefix) { return static_cast<std::size_t>(prefix); }
    static std::uint64_t childKey(Id parent, int token) {
        return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(parent)) << 32) |
               static_cast<std::uint32_t>(token);
    }

    std::vector<Node> nodes_;
    std::unordered_map<std::uint64_t, Id> children_;
    std::size_t keptAtLastCollect_ = 0;
};

} // namespace razeziruzer
