#include "PelluxCore/ConcurrencyUtilities.hpp"
#include "PelluxCore/EarlyStopActor.hpp"
#include "PelluxCore/PropertyLock.hpp"
#include "PelluxCore/UnfairLock.hpp"
#include "PelluxCore/WeakSendableWrapper.hpp"

#include <gtest/gtest.h>

#include <latch>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace pelluxcore {
namespace {

TEST(UnfairLock, FailingBodyReleasesTheLock) {
    UnfairLock lock;
    EXPECT_THROW(lock.withLock([]() -> int { throw std::runtime_error("boom"); }), std::runtime_error);
    EXPECT_EQ(lock.withLock([] { return 7; }), 7);
}

TEST(PropertyLock, ConcurrentModifyLosesNoUpdate) {
    PropertyLock<int> counter(0);
    constexpr int threads = 8;
    constexpr int incrementsEach = 5000;
    std::latch start(threads);
    std::vector<std::jthread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&] {
            start.arrive_and_wait();
            for (int i = 0; i < incrementsEach; ++i) counter.modify([](int& value) { ++value; });
        });
    }
    workers.clear();
    EXPECT_EQ(counter.wrappedValue(), threads * incrementsEach);
}

TEST(PropertyLock, CopyHoldsItsOwnValue) {
    PropertyLock<std::string> original(std::string("a"));
    PropertyLock<std::string> copy = original;
    copy.setWrappedValue("b");
    EXPECT_EQ(original.wrappedValue(), "a");
    EXPECT_EQ(copy.wrappedValue(), "b");
}

TEST(PropertyLock, EncodesAndDecodesAsTheBareValue) {
    EXPECT_EQ(nlohmann::json(PropertyLock<int>(5)).dump(), "5");
    EXPECT_EQ(nlohmann::json::parse("5").get<PropertyLock<int>>().wrappedValue(), 5);

    // A record with a wrapped field keeps the keyed form of a plain one.
    nlohmann::json record = {{"text", PropertyLock<std::string>(std::string("hi"))}};
    EXPECT_EQ(record.dump(), R"({"text":"hi"})");

    EXPECT_THROW(nlohmann::json::parse("\"five\"").get<PropertyLock<int>>(), nlohmann::json::exception);
}

TEST(EarlyStopActor, FlagsByIdentifier) {
    EarlyStopActor actor;
    const platform::Uuid never;
    EXPECT_FALSE(actor.get(never));
    EXPECT_EQ(actor.remove(never), std::nullopt);

    const platform::Uuid window;
    actor.set(false, window);
    EXPECT_FALSE(actor.get(window));
    EXPECT_EQ(actor.remove(window), std::optional<bool>(false));
    EXPECT_EQ(actor.remove(window), std::nullopt);

    actor.set(true, window);
    actor.set(true, never);
    EXPECT_TRUE(actor.get(window));
    EXPECT_EQ(actor.remove(window), std::optional<bool>(true));
    EXPECT_TRUE(actor.get(never));
}

TEST(WeakSendableWrapper, EmptiesWhenTheObjectIsReleased) {
    auto object = std::make_shared<int>(3);
    WeakSendableWrapper<int> wrapper(object);
    ASSERT_NE(wrapper.value(), nullptr);
    EXPECT_EQ(*wrapper.value(), 3);
    object.reset();
    EXPECT_EQ(wrapper.value(), nullptr);

    auto other = std::make_shared<int>(4);
    wrapper.setValue(other);
    EXPECT_EQ(wrapper.value(), other);
}

TEST(ConcurrencyUtilities, ActiveProcessorCountIsAtLeastOne) {
    EXPECT_GE(ConcurrencyUtilities::activeProcessorCount(), 1);
}

} // namespace
} // namespace pelluxcore
