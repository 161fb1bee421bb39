#include "Platform/Core/Error.hpp"
#include "Platform/Core/Logger.hpp"

#include <gtest/gtest.h>

namespace {

using platform::LogLevel;

TEST(Logger, CaptureSeesEveryLevelWithSubsystemAndCategory) {
    platform::ScopedLogCapture capture;
    const platform::Logger logger("zar.test", "dictation");
    logger.debug("d");
    logger.fault("f");
    const auto records = capture.sink().records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].level, LogLevel::debug);
    EXPECT_EQ(records[1].level, LogLevel::fault);
    EXPECT_EQ(records[1].subsystem, "zar.test");
    EXPECT_EQ(records[1].category, "dictation");
    EXPECT_TRUE(capture.contains("f"));
}

TEST(Logger, LineNamesLevelChannelAndMessage) {
    const platform::LogRecord record{std::chrono::system_clock::now(), LogLevel::warning, "sub", "cat", "hello"};
    const auto line = platform::formatLogLine(record);
    EXPECT_NE(line.find("[warning] [sub:cat] hello"), std::string::npos) << line;
}

TEST(Logger, LevelNamesRoundTripAndUnknownIsRejected) {
    for (auto level : {LogLevel::debug, LogLevel::info, LogLevel::notice, LogLevel::warning, LogLevel::error,
                       LogLevel::fault}) {
        EXPECT_EQ(platform::logLevelFromName(platform::logLevelName(level)), level);
    }
    EXPECT_FALSE(platform::logLevelFromName("verbose").has_value());
}

enum class SampleKind { missing, damaged };

TEST(Error, CarriesDescriptionAndKind) {
    try {
        throw platform::ErrorOf<SampleKind>(SampleKind::damaged, "Model file is damaged");
    } catch (const platform::Error& error) {
        EXPECT_EQ(error.description(), "Model file is damaged");
        EXPECT_EQ(dynamic_cast<const platform::ErrorOf<SampleKind>&>(error).kind(), SampleKind::damaged);
    }
}

} // namespace

namespace {

TEST(StderrLogSink, LeavesOutRecordsTheCallerAlreadyPrinted) {
    testing::internal::CaptureStderr();
    platform::StderrLogSink sink(LogLevel::debug);
    platform::LogRecord record{std::chrono::system_clock::now(), LogLevel::error, "s", "c", "printed once"};
    record.echoedToStderr = true;
    sink.write(record);
    record.echoedToStderr = false;
    record.message = "printed here";
    sink.write(record);
    const auto output = testing::internal::GetCapturedStderr();
    EXPECT_EQ(output.find("printed once"), std::string::npos);
    EXPECT_NE(output.find("printed here"), std::string::npos);
}

} // namespace
