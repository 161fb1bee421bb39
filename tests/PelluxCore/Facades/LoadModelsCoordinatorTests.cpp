#include "PelluxCore/LoadModelsCoordinator.hpp"

#include "tests/PelluxCore/Facades/FakeModelLoader.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <latch>
#include <stdexcept>
#include <vector>

namespace pelluxcore {
namespace {

using testing::Gate;

struct LoadFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Starts one load held at a gate, then two callers that join it; the gate
// opens only once both are waiting on the running load.
class LoadModelsCoordinatorTest : public ::testing::Test {
protected:
    std::vector<std::future<void>> runTogether(const std::function<void()>& firstLoad) {
        std::vector<std::future<void>> callers;
        callers.push_back(std::async(std::launch::async, [&, firstLoad] {
            coordinator.run([&] {
                ++runs;
                started.count_down();
                gate.wait();
                firstLoad();
            });
        }));
        started.wait();
        for (int i = 0; i < 2; ++i) {
            callers.push_back(std::async(std::launch::async, [&] { coordinator.run([&] { ++runs; }); }));
        }
        joined.wait();
        gate.open();
        return callers;
    }

    std::latch started{1};
    std::latch joined{2};
    Gate gate;
    std::atomic<int> runs = 0;
    LoadModelsCoordinator coordinator{[this] { joined.count_down(); }};
};

TEST_F(LoadModelsCoordinatorTest, CallersDuringALoadShareItsSuccess) {
    auto callers = runTogether([] {});
    for (auto& caller : callers) EXPECT_NO_THROW(caller.get());
    EXPECT_EQ(runs, 1);
}

TEST_F(LoadModelsCoordinatorTest, CallersDuringALoadShareItsFailureAndTheNextCallStartsAfresh) {
    auto callers = runTogether([] { throw LoadFailure("no models"); });
    for (auto& caller : callers) EXPECT_THROW(caller.get(), LoadFailure);
    EXPECT_EQ(runs, 1);

    coordinator.run([&] { ++runs; });
    EXPECT_EQ(runs, 2);
}

} // namespace
} // namespace pelluxcore
