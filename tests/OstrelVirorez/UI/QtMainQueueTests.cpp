#include "OstrelVirorez/UI/QtMainQueue.hpp"

#include "tests/OstrelVirorez/UI/TestApplication.hpp"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace ostrelvirorez {
namespace {

using namespace std::chrono_literals;

// Runs the event loop until `done` holds; the deadline only keeps a broken
// queue from hanging the test run.
bool processEventsUntil(const std::function<bool()>& done) {
    QDeadlineTimer deadline(10s);
    while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

class QtMainQueueTest : public ::testing::Test {
protected:
    QtMainQueueTest() { testing::testApplication(); }
};

TEST_F(QtMainQueueTest, RunsPostedTasksInOrderOnTheEventLoop) {
    QtMainQueue queue;
    std::vector<int> ran;
    queue.post([&] { ran.push_back(1); });
    queue.post([&] {
        ran.push_back(2);
        queue.post([&] { ran.push_back(4); });
    });
    queue.post([&] { ran.push_back(3); });
    EXPECT_TRUE(ran.empty());

    EXPECT_TRUE(processEventsUntil([&] { return ran.size() == 4; }));
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(QtMainQueueTest, RunsTasksFromOtherThreadsOnItsOwnThread) {
    QtMainQueue queue;
    EXPECT_TRUE(queue.isCurrent());
    std::atomic<bool> currentOnWorker{true};
    std::thread::id ranOn;
    std::atomic<bool> ran{false};
    std::thread worker([&] {
        currentOnWorker = queue.isCurrent();
        queue.post([&] {
            ranOn = std::this_thread::get_id();
            ran = true;
        });
        queue.postAfter(1ms, [] {});
    });
    worker.join();

    EXPECT_FALSE(currentOnWorker);
    EXPECT_TRUE(processEventsUntil([&] { return ran.load(); }));
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST_F(QtMainQueueTest, RunsDelayedTasksUnlessCancelled) {
    QtMainQueue queue;
    std::vector<std::string> ran;
    queue.postAfter(0ms, [&] { ran.push_back("now"); });
    queue.postAfter(-5ms, [&] { ran.push_back("negative"); });
    const auto cancelled = queue.postAfter(1ms, [&] { ran.push_back("cancelled"); });
    queue.cancel(cancelled);
    queue.postAfter(2ms, [&] { ran.push_back("later"); });

    EXPECT_TRUE(processEventsUntil([&] { return ran.size() == 3; }));
    // A cancelled 1 ms timer would have fired before the 2 ms one.
    EXPECT_EQ(ran, (std::vector<std::string>{"now", "negative", "later"}));
}

TEST_F(QtMainQueueTest, DropsWhatIsPendingWhenItGoes) {
    auto ran = std::make_shared<int>(0);
    {
        QtMainQueue queue;
        queue.post([ran] { ++*ran; });
        queue.postAfter(1ms, [ran] { ++*ran; });
    }
    QtMainQueue probe;
    bool probed = false;
    probe.postAfter(5ms, [&] { probed = true; });
    EXPECT_TRUE(processEventsUntil([&] { return probed; }));
    EXPECT_EQ(*ran, 0);
}

} // namespace
} // namespace ostrelvirorez
