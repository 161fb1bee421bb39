#include "Platform/Core/LogSink.hpp"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace platform {

namespace {
constexpr std::array<std::string_view, 6> levelNames{"debug", "info", "notice", "warning", "error", "fault"};
}

std::string_view logLevelName(LogLevel level) {
    return levelNames.at(static_cast<size_t>(level));
}

std::optional<LogLevel> logLevelFromName(std::string_view name) {
    for (size_t i = 0; i < levelNames.size(); ++i) {
        if (levelNames[i] == name) return static_cast<LogLevel>(i);
    }
    return std::nullopt;
}

std::string formatLogLine(const LogRecord& record) {
    const auto seconds = std::chrono::system_clock::to_time_t(record.time);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(
                            record.time.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    char withMillis[40];
    std::snprintf(withMillis, sizeof withMillis, "%s.%03d", stamp, static_cast<int>(millis));
    std::string line = withMillis;
    line += " [";
    line += logLevelName(record.level);
    line += "] [";
    line += record.subsystem;
    line += ':';
    line += record.category;
    line += "] ";
    line += record.message;
    return line;
}

StderrLogSink::StderrLogSink(std::optional<LogLevel> threshold) : threshold_(threshold) {}

std::optional<LogLevel> StderrLogSink::thresholdFromEnvironment() {
    const char* value = std::getenv("OSTREL_LOG_LEVEL");
    if (value == nullptr) return LogLevel::notice;
    if (std::string_view(value) == "none") return std::nullopt;
    return logLevelFromName(value).value_or(LogLevel::notice);
}

void StderrLogSink::write(const LogRecord& record) {
    if (record.echoedToStderr || !threshold_ || record.level < *threshold_) return;
    const std::string line = formatLogLine(record) + '\n';
    std::lock_guard lock(mutex_);
    std::fwrite(line.data(), 1, line.size(), stderr);
}

void CapturingLogSink::write(const LogRecord& record) {
    std::lock_guard lock(mutex_);
    records_.push_back(record);
}

std::vector<LogRecord> CapturingLogSink::records() const {
    std::lock_guard lock(mutex_);
    return records_;
}

std::vector<std::string> CapturingLogSink::messages() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> result;
    result.reserve(records_.size());
    for (const auto& r : records_) result.push_back(r.message);
    return result;
}

bool CapturingLogSink::contains(std::string_view fragment) const {
    std::lock_guard lock(mutex_);
    for (const auto& r : records_) {
        if (r.message.find(fragment) != std::string::npos) return true;
    }
    return false;
}

void CapturingLogSink::clear() {
    std::lock_guard lock(mutex_);
    records_.clear();
}

} // namespace platform
