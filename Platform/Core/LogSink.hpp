#pragma once
// Where log records go: standard error in the running system, a capturing
// sink in tests.

#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class LogLevel { debug, info, notice, warning, error, fault };

std::string_view logLevelName(LogLevel level);
std::optional<LogLevel> logLevelFromName(std::string_view name);

struct LogRecord {
    std::chrono::system_clock::time_point time;
    LogLevel level;
    std::string subsystem;
    std::string category;
    std::string message;
    // The caller already wrote its own line for this record to standard
    // error, so the standard-error sink leaves it out.
    bool echoedToStderr = false;
};

class LogSink {
public:
    virtual ~LogSink() = default;
    virtual void write(const LogRecord& record) = 0;
};

// Writes records at or above a threshold to standard error, one line each:
// "<ISO time> [<level>] [<subsystem>:<category>] <message>".
class StderrLogSink final : public LogSink {
public:
    explicit StderrLogSink(std::optional<LogLevel> threshold);

    // The threshold named by the environment variable "OSTREL_LOG_LEVEL"
    // (debug, info, notice, warning, error, fault, none); notice when unset.
    static std::optional<LogLevel> thresholdFromEnvironment();

    void write(const LogRecord& record) override;

private:
    std::optional<LogLevel> threshold_;  // nullopt: log nothing
    std::mutex mutex_;
};

// Keeps every record it is given, for tests.
class CapturingLogSink final : public LogSink {
public:
    void write(const LogRecord& record) override;

    std::vector<LogRecord> records() const;
    std::vector<std::string> messages() const;
    bool contains(std::string_view fragment) const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::vector<LogRecord> records_;
};

std::string formatLogLine(const LogRecord& record);

} // namespace platform
