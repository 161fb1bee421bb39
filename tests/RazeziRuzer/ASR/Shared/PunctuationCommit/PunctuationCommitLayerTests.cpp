#include "RazeziRuzer/ASR/Shared/PunctuationCommit/PunctuationCommitLayer.hpp"

#include "Platform/Concurrency/ManualClock.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace razeziruzer {
namespace {

using namespace std::chrono_literals;
using Kind = CommitReason::Kind;

const std::set<std::string> marks{".", "?", "!"};

// Collects the updates the layer sends, from any thread.
struct Updates {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<CommitLayerUpdate> all;

    void add(const CommitLayerUpdate& update) {
        const std::lock_guard lock(mutex);
        all.push_back(update);
        changed.notify_all();
    }
    bool waitFor(std::size_t count) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, 30s, [&] { return all.size() >= count; });
    }
    std::size_t size() {
        const std::lock_guard lock(mutex);
        return all.size();
    }
};

class PunctuationCommitLayerTests : public ::testing::Test {
protected:
    std::unique_ptr<PunctuationCommitLayer> make(bool commitOnTimeout = true, std::set<std::string> with = marks) {
        auto layer = std::make_unique<PunctuationCommitLayer>(1.5, std::move(with), commitOnTimeout, clock);
        layer->setUpdateCallback([this](const CommitLayerUpdate& update) { updates.add(update); });
        return layer;
    }

    // Waits until the timer thread has begun its n-th sleep and is parked in it.
    bool waitForSleep(std::size_t n) {
        const auto limit = std::chrono::steady_clock::now() + 30s;
        while (clock.sleptDurations().size() < n || clock.parkedSleepers() < 1) {
            if (std::chrono::steady_clock::now() > limit) return false;
            std::this_thread::yield();
        }
        return true;
    }

    platform::ManualClock clock;
    Updates updates;
};

TEST_F(PunctuationCommitLayerTests, PartialsCommitUpToTheLastMark) {
    struct Case {
        const char* name;
        std::string partial;
        std::string committed;
        std::string ghost;
        std::optional<CommitReason> reason;
    };
    const Case cases[] = {
        {"mark then more", "Hello world. How", "Hello world. ", "How", CommitReason::punctuation(".")},
        {"mark at the end gets a space", "Hello.", "Hello. ", "", CommitReason::punctuation(".")},
        {"line breaks after the mark are kept", "Hi.\n\nThere", "Hi.\n\n", "There", CommitReason::punctuation(".")},
        {"the last of several marks", "One. Two! Three", "One. Two! ", "Three", CommitReason::punctuation("!")},
        {"mark at the start", ". hello", ". ", "hello", CommitReason::punctuation(".")},
        {"no mark", "how are", "", "how are", std::nullopt},
        {"a mark with a combining sign is another character", "Hi.\xCC\x81 there", "", "Hi.\xCC\x81 there",
         std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto layer = make();
        const auto update = layer->processPartialText(c.partial);
        EXPECT_EQ(update.committedText, c.committed);
        EXPECT_EQ(update.ghostText, c.ghost);
        EXPECT_EQ(update.totalText, c.committed + c.ghost);
        EXPECT_EQ(update.lastCommitReason, c.reason);
    }
    const auto none = make(true, {});
    EXPECT_EQ(none->processPartialText("Stop. Now").committedText, "");
}

TEST_F(PunctuationCommitLayerTests, EndOfUtteranceAndManualCommitJoinWithOneSpace) {
    auto layer = make(false);
    layer->processPartialText("Hello. How");
    auto update = layer->processEOU();
    EXPECT_EQ(update.committedText, "Hello. How");
    EXPECT_EQ(update.ghostText, "");
    EXPECT_EQ(update.lastCommitReason, CommitReason::endOfUtterance());

    layer = make(false);
    layer->processPartialText("Hello");
    layer->manualCommit();
    layer->processPartialText("there");
    update = layer->manualCommit();
    EXPECT_EQ(update.committedText, "Hello there");
    EXPECT_EQ(update.totalText, "Hello there");

    const auto before = updates.size();
    update = layer->processEOU();
    EXPECT_EQ(update.lastCommitReason, CommitReason::endOfUtterance());
    EXPECT_EQ(update.committedText, "Hello there");
    EXPECT_EQ(updates.size(), before + 1);
}

TEST_F(PunctuationCommitLayerTests, CumulativePartialsCommitEachWordOnce) {
    const auto layer = make(false);
    layer->processPartialText("Hello world.");
    auto update = layer->processPartialText("Hello world. How are");
    EXPECT_EQ(update.committedText, "Hello world. ");
    EXPECT_EQ(update.ghostText, "How are");
    update = layer->processPartialText("Hello world. How are you? Fine");
    EXPECT_EQ(update.committedText, "Hello world. How are you? ");
    EXPECT_EQ(update.ghostText, "Fine");
    layer->manualCommit();
    update = layer->processPartialText("Hello world. How are you? Fine thanks");
    EXPECT_EQ(update.committedText, "Hello world. How are you? Fine");
    EXPECT_EQ(update.ghostText, "thanks");
    EXPECT_EQ(layer->processEOU().committedText, "Hello world. How are you? Fine thanks");

    // Only the uncommitted text, as before, works as well.
    const auto plain = make(false);
    plain->processPartialText("One. Tw");
    EXPECT_EQ(plain->processPartialText("Two three").totalText, "One. Two three");
}

TEST_F(PunctuationCommitLayerTests, TheDebounceTimerCommitsInVirtualTime) {
    const auto layer = make();
    layer->processPartialText("how are");
    ASSERT_TRUE(clock.waitForParkedSleepers(1));
    clock.advance(1s);
    layer->processPartialText("how are you");  // restarts the timer
    ASSERT_TRUE(waitForSleep(2));
    clock.advance(1s);
    EXPECT_EQ(layer->committedText(), "");
    clock.advance(500ms);
    ASSERT_TRUE(updates.waitFor(3));
    const auto last = updates.all.back();
    EXPECT_EQ(last.lastCommitReason, CommitReason::debounceTimeout());
    EXPECT_EQ(last.committedText, "how are you");
    EXPECT_EQ(last.ghostText, "");
    EXPECT_EQ(clock.sleptDurations().back(), 1500ms);
}

TEST_F(PunctuationCommitLayerTests, TimersThatMustNotCommit) {
    {
        SCOPED_TRACE("commit on timeout off");
        const auto layer = make(false);
        layer->processPartialText("how are");
        ASSERT_TRUE(clock.waitForParkedSleepers(1));
        clock.advance(2s);
        // The one timer thread parks again only after the expired timer's turn.
        layer->processPartialText("how are");
        ASSERT_TRUE(clock.waitForParkedSleepers(1));
        EXPECT_EQ(layer->committedText(), "");
        EXPECT_EQ(updates.size(), 2u);
    }
    {
        SCOPED_TRACE("empty partial finds nothing to commit");
        const auto before = updates.size();
        const auto layer = make();
        layer->processPartialText("");
        ASSERT_TRUE(clock.waitForParkedSleepers(1));
        clock.advance(2s);
        layer->processPartialText("");
        ASSERT_TRUE(clock.waitForParkedSleepers(1));
        EXPECT_EQ(updates.size(), before + 2);
    }
    {
        SCOPED_TRACE("reset cancels the pending timer");
        const auto before = updates.size();
        const auto layer = make();
        layer->processPartialText("pending words");
        ASSERT_TRUE(clock.waitForParkedSleepers(1));
        layer->reset();
        ASSERT_TRUE(updates.waitFor(before + 2));
        EXPECT_EQ(updates.all.back().totalText, "");
        EXPECT_EQ(updates.all.back().lastCommitReason, std::nullopt);
        clock.advance(5s);
        EXPECT_EQ(layer->committedText(), "");
        EXPECT_EQ(updates.size(), before + 2);
    }
}

TEST_F(PunctuationCommitLayerTests, APendingTimerDoesNotOutliveTheLayer) {
    auto layer = make();
    layer->processPartialText("going away");
    ASSERT_TRUE(clock.waitForParkedSleepers(1));
    layer.reset();
    EXPECT_EQ(clock.parkedSleepers(), 0u);
    EXPECT_THROW(PunctuationCommitLayer(-1, marks, true, clock), std::invalid_argument);
    EXPECT_THROW(PunctuationCommitLayer(std::nan(""), marks, true, clock), std::invalid_argument);
}

} // namespace
} // namespace razeziruzer
