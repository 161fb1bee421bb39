#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/CtcPrefixArena.hpp"

#include <gtest/gtest.h>

using namespace razeziruzer;

namespace {

using Id = CtcPrefixArena::Id;

TEST(CtcPrefixArena, APrefixIsStoredOnce) {
    CtcPrefixArena arena;
    const Id a = arena.extend(CtcPrefixArena::empty, 5);
    const Id ab = arena.extend(a, 7);
    const Id ba = arena.extend(arena.extend(CtcPrefixArena::empty, 7), 5);
    EXPECT_EQ(arena.extend(CtcPrefixArena::empty, 5), a);
    EXPECT_EQ(arena.extend(a, 7), ab);
    EXPECT_NE(ab, ba) << "same tokens in another order";
    EXPECT_NE(arena.extend(a, 8), ab);
    EXPECT_EQ(arena.nodeCount(), 5u);
    EXPECT_EQ(arena.tokens(ab), (std::vector<int>{5, 7}));
    EXPECT_EQ(arena.tokens(ba), (std::vector<int>{7, 5}));
    EXPECT_EQ(arena.tokens(CtcPrefixArena::empty), std::vector<int>{});
    EXPECT_EQ(arena.lastToken(ab), 7);
    EXPECT_EQ(arena.length(ab), 2u);
}

TEST(CtcPrefixArena, CollectingKeepsTheLivePrefixesAndDropsTheRest) {
    CtcPrefixArena arena;
    // One long chain, with a dead branch off every node.
    Id tip = CtcPrefixArena::empty;
    Id fork = CtcPrefixArena::empty;
    for (int i = 0; i < 3000; ++i) {
        arena.extend(tip, -i);
        tip = arena.extend(tip, i);
        if (i == 1000) fork = arena.extend(tip, 42);
    }
    std::vector<int> chain(3000);
    for (int i = 0; i < 3000; ++i) chain[static_cast<std::size_t>(i)] = i;
    std::vector<int> forked(chain.begin(), chain.begin() + 1001);
    forked.push_back(42);

    Id empty = CtcPrefixArena::empty;
    std::vector<Id*> live{&tip, &fork, &empty};
    arena.collect(live);
    EXPECT_EQ(arena.nodeCount(), 3001u);
    EXPECT_EQ(arena.tokens(tip), chain);
    EXPECT_EQ(arena.tokens(fork), forked);
    // The trie is renumbered too: extending a kept prefix finds its kept child.
    const Id first = arena.extend(CtcPrefixArena::empty, 0);
    EXPECT_EQ(arena.tokens(arena.extend(first, 1)), (std::vector<int>{0, 1}));
    EXPECT_EQ(arena.nodeCount(), 3001u);
    EXPECT_EQ(empty, CtcPrefixArena::empty);

    // Nothing new to drop until the arena has doubled again.
    arena.extend(tip, 1);
    arena.collect(live);
    EXPECT_EQ(arena.nodeCount(), 3002u);
}

} // namespace
