#include "OstrelVirorez/Entry/SingleInstance.hpp"

#include "Platform/Core/Error.hpp"
#include "tests/OstrelVirorez/UI/TestApplication.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>

namespace {

using namespace ostrelvirorez;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

class SingleInstanceTest : public ::testing::Test {
protected:
    // The watch is a socket notifier, which needs the application; the tests
    // serve requests themselves instead of running its loop.
    SingleInstanceTest() { ostrelvirorez::testing::testApplication(); }

    fs::path folder() const { return home / "session"; }

    // Asks from a second start while the first one serves, as its event loop would.
    bool askWhileServing(SingleInstance& primary, const SingleInstance& secondary) {
        auto asked = std::async(std::launch::async, [&] { return secondary.activatePrimary(5s); });
        while (asked.wait_for(10ms) != std::future_status::ready) primary.serveRequests();
        return asked.get();
    }

    testsupport::TemporaryDirectory home;
};

TEST_F(SingleInstanceTest, TheSecondStartAsksTheFirstToComeForward) {
    SingleInstance first(folder());
    ASSERT_TRUE(first.isPrimary());
    int activations = 0;
    const auto watch = first.listen([&] { ++activations; });

    SingleInstance second(folder());
    EXPECT_FALSE(second.isPrimary());
    EXPECT_TRUE(askWhileServing(first, second));
    EXPECT_EQ(activations, 1);
    EXPECT_TRUE(askWhileServing(first, second));
    EXPECT_EQ(activations, 2);
    EXPECT_EQ(fs::status(folder()).permissions() & fs::perms::all, fs::perms::owner_all);
}

TEST_F(SingleInstanceTest, AFirstStartThatDoesNotAnswerIsReportedAsSuch) {
    SingleInstance first(folder());
    SingleInstance second(folder());
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(second.activatePrimary(100ms));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
}

// The lock ends with its holder, and a socket it left behind is replaced.
TEST_F(SingleInstanceTest, TheNextStartAfterTheFirstEndedRunsOnItsOwn) {
    { SingleInstance first(folder()); }
    SingleInstance next(folder());
    EXPECT_TRUE(next.isPrimary());

    testsupport::TemporaryDirectory other;
    fs::create_directory(other / "session");
    fs::permissions(other / "session", fs::perms::owner_all);
    other.write("session/instance.socket", "left behind by an instance that crashed");
    SingleInstance afterCrash(other / "session");
    EXPECT_TRUE(afterCrash.isPrimary());
    SingleInstance second(other / "session");
    int activations = 0;
    const auto watch = afterCrash.listen([&] { ++activations; });
    EXPECT_TRUE(askWhileServing(afterCrash, second));
    EXPECT_EQ(activations, 1);
}

TEST_F(SingleInstanceTest, AFolderOthersCanEnterIsRefused) {
    fs::create_directory(folder());
    fs::permissions(folder(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    EXPECT_THROW(SingleInstance{folder()}, platform::Error);
}

} // namespace
