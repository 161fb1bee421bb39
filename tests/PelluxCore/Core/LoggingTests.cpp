#include "PelluxCore/Logging.hpp"

#include "Platform/Core/Logger.hpp"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

namespace pelluxcore {
namespace {

using LogLevel = Logging::LogLevel;

// Counts how often it is turned into text.
struct Probe {
    int* count;
    friend std::ostream& operator<<(std::ostream& out, const Probe& probe) {
        ++*probe.count;
        return out << "probe";
    }
};
using LogType = Logging::LogType;

// Restores the process-wide level and callback after each test.
class LoggingTest : public ::testing::Test {
protected:
    void TearDown() override {
        Logging::updateCallback(std::nullopt);
        Logging::updateLogLevel(LogLevel::none);
    }

    std::vector<std::string> received;
    void collect() {
        Logging::updateCallback([this](const std::string& message) { received.push_back(message); });
    }
};

TEST_F(LoggingTest, StartsSilentUntilALevelIsSet) {
    platform::ScopedLogCapture capture;
    EXPECT_EQ(Logging::shared().logLevel(), LogLevel::none);
    Logging::error("dropped");
    collect();
    Logging::error("dropped too");
    EXPECT_TRUE(received.empty());
    EXPECT_TRUE(capture.sink().records().empty());
}

TEST_F(LoggingTest, MessageTypesAreFilteredAgainstTheLevel) {
    struct Case {
        LogLevel level;
        LogType type;
        bool delivered;
    };
    const Case cases[] = {
        {LogLevel::error, LogType::debug, false},  {LogLevel::error, LogType::info, false},
        {LogLevel::error, LogType::error, true},   {LogLevel::error, LogType::fault, true},
        {LogLevel::debug, LogType::notice, true},  {LogLevel::info, LogType::debug, false},
        {LogLevel::info, LogType::warning, true},  {LogLevel::none, LogType::fault, false},
    };
    collect();
    for (const auto& c : cases) {
        received.clear();
        Logging::updateLogLevel(c.level);
        Logging::shared().log({}, c.type, "m");
        EXPECT_EQ(received.size(), c.delivered ? 1u : 0u)
            << "level " << rawValue(c.level) << " type " << platform::logLevelName(c.type);
    }
}

TEST_F(LoggingTest, FilteredMessagesAreNeverRendered) {
    int renders = 0;
    Logging::updateLogLevel(LogLevel::error);
    collect();
    Logging::info(Probe{&renders});
    EXPECT_EQ(renders, 0);
    Logging::error(Probe{&renders});
    EXPECT_EQ(renders, 1);
    EXPECT_EQ(received, std::vector<std::string>{"probe"});
}

TEST_F(LoggingTest, CallbackReceivesJoinedItemsAndTheUnifiedLogStaysEmpty) {
    platform::ScopedLogCapture capture;
    Logging::updateLogLevel(LogLevel::debug);
    collect();
    Logging::info("a", "b");
    Logging::debug(Logging::Format{", ", "!"}, "n", 3, 1.5, true);
    Logging::error();
    Logging::error(Logging::Format{" ", "\n"});
    EXPECT_EQ(received, (std::vector<std::string>{"a b", "n, 3, 1.5, true!", "", "\n"}));
    EXPECT_TRUE(capture.sink().records().empty());

    Logging::updateCallback(std::nullopt);
    Logging::info("to the log");
    const auto records = capture.sink().records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].message, "to the log");
    EXPECT_EQ(records[0].level, platform::LogLevel::info);
    EXPECT_EQ(records[0].subsystem, "zar.pellux.pelluxcore");
    EXPECT_EQ(records[0].category, "Pellux");
}

TEST_F(LoggingTest, CallbackMayLogAgainWithoutDeadlock) {
    Logging::updateLogLevel(LogLevel::info);
    std::vector<std::string> seen;
    Logging::updateCallback([&seen](const std::string& message) {
        seen.push_back(message);
        if (message == "outer") Logging::info("inner");
    });
    Logging::info("outer");
    EXPECT_EQ(seen, (std::vector<std::string>{"outer", "inner"}));
}

TEST_F(LoggingTest, IsLoggingEnabledForALevel) {
    Logging::updateLogLevel(LogLevel::error);
    EXPECT_FALSE(Logging::isLoggingEnabled(LogLevel::info));
    EXPECT_TRUE(Logging::isLoggingEnabled(LogLevel::error));
    EXPECT_TRUE(Logging::isLoggingEnabled());
    for (const auto level : {LogLevel::debug, LogLevel::info}) {
        Logging::updateLogLevel(level);
        EXPECT_TRUE(Logging::isLoggingEnabled(LogLevel::info));
    }
    Logging::updateLogLevel(LogLevel::none);
    EXPECT_FALSE(Logging::isLoggingEnabled());
    for (const auto level : {LogLevel::debug, LogLevel::info, LogLevel::error, LogLevel::none}) {
        EXPECT_FALSE(Logging::isLoggingEnabled(level));
    }
}

TEST(LoggingLevel, RawValuesAndOrder) {
    EXPECT_EQ(rawValue(LogLevel::debug), 1);
    EXPECT_EQ(rawValue(LogLevel::none), 4);
    EXPECT_EQ(logLevelFromRawValue(3), LogLevel::error);
    EXPECT_EQ(logLevelFromRawValue(0), std::nullopt);
    EXPECT_EQ(logLevelFromRawValue(5), std::nullopt);
    EXPECT_LT(LogLevel::debug, LogLevel::info);
    EXPECT_LT(LogLevel::error, LogLevel::none);
}

TEST(LoggingMemory, ResidentSizeInWholeMebibytes) {
    EXPECT_EQ(Logging::memoryUsageFromStatus("Name:\tx\nVmRSS:\t    1023 kB\n"), 0u); // 1,047,552 bytes
    EXPECT_EQ(Logging::memoryUsageFromStatus("VmRSS:\t    1024 kB\n"), 1u);
    EXPECT_EQ(Logging::memoryUsageFromStatus("VmRSS:\t  204899 kB\n"), 200u);
    EXPECT_EQ(Logging::memoryUsageFromStatus("VmSize:\t 5000 kB\n"), 0u);
    EXPECT_EQ(Logging::memoryUsageFromStatus("VmRSS:\tgarbage\n"), 0u);
    EXPECT_GT(Logging::getMemoryUsage(), 0u);
}

TEST_F(LoggingTest, MemoryUsageLineIsADebugMessage) {
    collect();
    Logging::updateLogLevel(LogLevel::info);
    Logging::logCurrentMemoryUsage("after load");
    EXPECT_TRUE(received.empty());
    Logging::updateLogLevel(LogLevel::debug);
    Logging::logCurrentMemoryUsage("after load");
    ASSERT_EQ(received.size(), 1u);
    EXPECT_TRUE(received[0].starts_with("after load - Memory usage: "));
    EXPECT_TRUE(received[0].ends_with(" MB"));
}

TEST(LoggingTiming, FixedWidthLine) {
    EXPECT_EQ(Logging::formatTimeWithPercentage(1.5, 3, 3000), " 1500.00 ms /      3 runs (  500.00 ms/run) 50.00%");
    EXPECT_EQ(Logging::formatTimeWithPercentage(0.25, 0, 1000), "  250.00 ms /      0 runs (    0.00 ms/run) 25.00%");
}

} // namespace
} // namespace pelluxcore
