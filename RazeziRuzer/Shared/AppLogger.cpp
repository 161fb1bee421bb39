#include "RazeziRuzer/Shared/AppLogger.hpp"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>

namespace razeziruzer {

namespace {

struct DefaultSubsystem {
    std::mutex mutex;
    std::string value = "zev.ivodavivurirodu";
};

DefaultSubsystem& defaultSubsystemStorage() {
    static DefaultSubsystem storage;
    return storage;
}

// The unified log keeps warnings with the error type, as errors.
platform::LogLevel unifiedLogType(AppLogger::Level level) {
    switch (level) {
    case AppLogger::Level::debug: return platform::LogLevel::debug;
    case AppLogger::Level::info: return platform::LogLevel::info;
    case AppLogger::Level::notice: return platform::LogLevel::notice;
    case AppLogger::Level::warning:
    case AppLogger::Level::error: return platform::LogLevel::error;
    case AppLogger::Level::fault: return platform::LogLevel::fault;
    }
    return platform::LogLevel::notice;
}

bool alsoToConsole(AppLogger::Level level) {
    return level >= AppLogger::Level::warning;
}

std::string currentTimeText() {
    const auto now = std::chrono::system_clock::now();
    const auto seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(millis));
    return text;
}

// Returns 0 on success, else the errno of the failed write.
int writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const auto written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

} // namespace

std::string AppLogger::defaultSubsystem() {
    auto& storage = defaultSubsystemStorage();
    std::lock_guard lock(storage.mutex);
    return storage.value;
}

void AppLogger::setDefaultSubsystem(std::string subsystem) {
    auto& storage = defaultSubsystemStorage();
    std::lock_guard lock(storage.mutex);
    storage.value = std::move(subsystem);
}

AppLogger::AppLogger(std::string category) : AppLogger(defaultSubsystem(), std::move(category)) {}

AppLogger::AppLogger(std::string subsystem, std::string category)
    : osLogger_(subsystem, category), subsystem_(std::move(subsystem)), category_(std::move(category)) {}

std::string_view AppLogger::consoleLevelWord(Level level) {
    switch (level) {
    case Level::debug: return "DEBUG";
    case Level::info: return "INFO";
    case Level::notice: return "NOTICE";
    case Level::warning: return "WARN";
    case Level::error: return "ERROR";
    case Level::fault: return "FAULT";
    }
    return "";
}

std::string AppLogger::consoleLine(std::string_view time, Level level, std::string_view category,
                                   std::string_view message) {
    std::string line;
    line.reserve(time.size() + category.size() + message.size() + 32);
    line += '[';
    line += time;
    line += "] [";
    line += consoleLevelWord(level);
    line += "] [RazeziRuzer.";
    line += category;
    line += "] ";
    line += message;
    line += '\n';
    return line;
}

void AppLogger::log(Level level, std::string_view message) const {
    if (!alsoToConsole(level)) {
        osLogger_.log(unifiedLogType(level), message);
        return;
    }
    osLogger_.logEchoed(unifiedLogType(level), message);
    logToConsoleSynchronously(level, category_, message);
}

void AppLogger::logToConsoleSynchronously(Level level, std::string_view category, std::string_view message) {
    const auto line = consoleLine(currentTimeText(), level, category, message);
    if (const int failure = writeAll(STDERR_FILENO, line); failure != 0) {
        std::printf("Failed to write to stderr: %s\n", std::strerror(failure));
    }
}

int rawValue(AppLogger::Level level) {
    return static_cast<int>(level);
}

template <>
std::optional<AppLogger::Level> fromRawValue<AppLogger::Level>(int raw) {
    if (raw < rawValue(AppLogger::Level::debug) || raw > rawValue(AppLogger::Level::fault)) return std::nullopt;
    return static_cast<AppLogger::Level>(raw);
}

} // namespace razeziruzer
