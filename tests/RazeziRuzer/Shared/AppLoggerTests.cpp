#include "RazeziRuzer/Shared/AppLogger.hpp"

#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <regex>

namespace razeziruzer {
namespace {

// Sends file descriptor 2 to a file while it lives.
class StandardErrorCapture {
public:
    StandardErrorCapture() : saved_(::dup(STDERR_FILENO)) {
        const int file = ::open((folder_ / "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(file, STDERR_FILENO);
        ::close(file);
    }
    ~StandardErrorCapture() { restore(); }

    std::string finish() {
        restore();
        return folder_.read("stderr");
    }

private:
    void restore() {
        if (saved_ < 0) return;
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
        saved_ = -1;
    }

    testsupport::TemporaryDirectory folder_;
    int saved_;
};

TEST(AppLoggerTests, ConsoleLevelsWriteOneLineEach) {
    platform::ScopedLogCapture unifiedLog;
    const AppLogger logger("ASR");
    StandardErrorCapture capture;
    logger.warning("decoder slow");
    logger.error("model missing");
    logger.fault("state corrupt");
    const auto written = capture.finish();

    const std::regex expected(
        R"(\[\d\d:\d\d:\d\d\.\d{3}\] \[WARN\] \[RazeziRuzer\.ASR\] decoder slow
\[\d\d:\d\d:\d\d\.\d{3}\] \[ERROR\] \[RazeziRuzer\.ASR\] model missing
\[\d\d:\d\d:\d\d\.\d{3}\] \[FAULT\] \[RazeziRuzer\.ASR\] state corrupt
)");
    EXPECT_TRUE(std::regex_match(written, expected)) << written;
}

TEST(AppLoggerTests, LowerLevelsGoOnlyToTheUnifiedLog) {
    platform::ScopedLogCapture unifiedLog;
    const AppLogger logger("TDT");
    StandardErrorCapture capture;
    logger.debug("one");
    logger.info("two");
    logger.notice("three");
    logger.warning("four");
    EXPECT_EQ(capture.finish().find("one"), std::string::npos);

    const auto records = unifiedLog.sink().records();
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].level, platform::LogLevel::debug);
    EXPECT_EQ(records[2].level, platform::LogLevel::notice);
    EXPECT_EQ(records[3].level, platform::LogLevel::error);  // warnings are kept as errors
    EXPECT_EQ(records[3].subsystem, "zev.ivodavivurirodu");
    EXPECT_EQ(records[3].category, "TDT");
    EXPECT_EQ(records[3].message, "four");
}

TEST(AppLoggerTests, LineShape) {
    EXPECT_EQ(AppLogger::consoleLine("14:03:07.250", AppLogger::Level::warning, "ASR", "slow"),
              "[14:03:07.250] [WARN] [RazeziRuzer.ASR] slow\n");
    EXPECT_EQ(AppLogger::consoleLine("00:00:00.000", AppLogger::Level::error, "", "a\nb\n"),
              "[00:00:00.000] [ERROR] [RazeziRuzer.] a\nb\n\n");
}

TEST(AppLoggerTests, DefaultSubsystemIsReadWhenALoggerIsMade) {
    const auto original = AppLogger::defaultSubsystem();
    EXPECT_EQ(original, "zev.ivodavivurirodu");
    const AppLogger before("ASR");
    AppLogger::setDefaultSubsystem("other.subsystem");
    const AppLogger after("ASR");
    AppLogger::setDefaultSubsystem(original);

    EXPECT_EQ(before.subsystem(), "zev.ivodavivurirodu");
    EXPECT_EQ(after.subsystem(), "other.subsystem");
    EXPECT_EQ(after.osLogger().subsystem(), "other.subsystem");
    EXPECT_EQ(AppLogger("zur.ozuzivedido.viz", "Kokoro").subsystem(), "zur.ozuzivedido.viz");
}

TEST(AppLoggerTests, LevelsExistOnlyFromZeroToFive) {
    EXPECT_EQ(fromRawValue<AppLogger::Level>(0), AppLogger::Level::debug);
    EXPECT_EQ(fromRawValue<AppLogger::Level>(5), AppLogger::Level::fault);
    EXPECT_FALSE(fromRawValue<AppLogger::Level>(6));
    EXPECT_FALSE(fromRawValue<AppLogger::Level>(-1));
}

} // namespace
} // namespace razeziruzer
