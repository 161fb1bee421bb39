#include "RazeziRuzer/Shared/ProgressEmitter.hpp"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

namespace razeziruzer {
namespace {

std::vector<double> drain(const ProgressStream& stream) {
    std::vector<double> values;
    while (const auto value = stream.next()) values.push_back(*value);
    return values;
}

TEST(ProgressEmitterTests, SessionDeliversZeroClampedReportsAndOne) {
    ProgressEmitter emitter;
    emitter.report(0.5);  // no session yet: dropped
    const auto stream = emitter.ensureSession();
    EXPECT_TRUE(emitter.isActive());
    EXPECT_EQ(emitter.ensureSession(), stream);
    emitter.report(0.25);
    emitter.report(1.7);
    emitter.report(-0.2);
    emitter.finishSession();
    emitter.finishSession();
    emitter.failSession(std::make_exception_ptr(std::runtime_error("late")));
    EXPECT_EQ(drain(stream), (std::vector<double>{0.0, 0.25, 1.0, 0.0, 1.0}));
    EXPECT_FALSE(emitter.isActive());
}

TEST(ProgressEmitterTests, FailedSessionEndsWithItsError) {
    ProgressEmitter emitter;
    const auto stream = emitter.ensureSession();
    emitter.report(0.4);
    emitter.failSession(std::make_exception_ptr(std::runtime_error("decoder failed")));
    EXPECT_EQ(stream.next(), 0.0);
    EXPECT_EQ(stream.next(), 0.4);
    EXPECT_THROW(stream.next(), std::runtime_error);
    emitter.report(0.9);

    const auto next = emitter.ensureSession();
    EXPECT_FALSE(next == stream);
    emitter.finishSession();
    EXPECT_EQ(drain(next), (std::vector<double>{0.0, 1.0}));
}

TEST(ProgressEmitterTests, ListenerOnAnotherThreadSeesEveryValueInOrder) {
    ProgressEmitter emitter;
    const auto stream = emitter.ensureSession();
    std::vector<double> received;
    std::thread listener([&] { received = drain(stream); });
    for (int step = 1; step < 10; ++step) emitter.report(step / 10.0);
    emitter.finishSession();
    listener.join();
    ASSERT_EQ(received.size(), 11u);
    EXPECT_EQ(received.front(), 0.0);
    EXPECT_EQ(received[5], 0.5);
    EXPECT_EQ(received.back(), 1.0);
}

} // namespace
} // namespace razeziruzer
