#pragma once
// The Whisper package's one logger. Messages below the package-wide level are
// dropped before any text is built; a host may divert every message to a
// callback of its own. Nothing is logged until a level is set.

#include "Platform/Core/Logger.hpp"

#include <charconv>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>

namespace pelluxcore {

class Logging {
public:
    enum class LogLevel : int { debug = 1, info = 2, error = 3, none = 4 };
    using LoggingCallback = std::function<void(const std::string& message)>;
    // The unified log's message types are the platform's log levels.
    using LogType = platform::LogLevel;

    // How the items of one message are joined and ended.
    struct Format {
        std::string separator = " ";
        std::optional<std::string> terminator;
    };

    static Logging& shared();

    Logging(const Logging&) = delete;
    Logging& operator=(const Logging&) = delete;

    LogLevel logLevel() const;
    void setLogLevel(LogLevel level);
    std::optional<LoggingCallback> loggingCallback() const;
    void setLoggingCallback(std::optional<LoggingCallback> callback);

    // Whether any message, or a message of the given level, would be delivered.
    static bool isLoggingEnabled();
    static bool isLoggingEnabled(LogLevel level);

    template <typename... Items>
    void log(const Format& format, LogType type, const Items&... items) const;

    const platform::Logger& logger() const { return logger_; }

    template <typename... Items>
    static void debug(const Items&... items) { shared().log(Format{}, LogType::debug, items...); }
    template <typename... Items>
    static void debug(const Format& format, const Items&... items) { shared().log(format, LogType::debug, items...); }
    template <typename... Items>
    static void info(const Items&... items) { shared().log(Format{}, LogType::info, items...); }
    template <typename... Items>
    static void info(const Format& format, const Items&... items) { shared().log(format, LogType::info, items...); }
    template <typename... Items>
    static void error(const Items&... items) { shared().log(Format{}, LogType::error, items...); }
    template <typename... Items>
    static void error(const Format& format, const Items&... items) { shared().log(format, LogType::error, items...); }

    static void updateLogLevel(LogLevel level) { shared().setLogLevel(level); }
    static void updateCallback(std::optional<LoggingCallback> callback) {
        shared().setLoggingCallback(std::move(callback));
    }

    // Resident memory of this process in whole mebibytes; 0 when unknown.
    static std::uint64_t getMemoryUsage();
    // The figure read from the text of /proc/self/status; 0 when it has none.
    static std::uint64_t memoryUsageFromStatus(std::string_view statusText);
    static void logCurrentMemoryUsage(std::string_view message);
    // "<ms> ms / <runs> runs (<ms per run> ms/run) <share>%" of a duration in
    // seconds against a total in milliseconds.
    static std::string formatTimeWithPercentage(double time, double runs, double totalTime);

    // Subsystem of the log channel. The package cannot see an application
    // identifier of its host process, so it always logs under its own.
    static constexpr std::string_view defaultSubsystem = "zar.pellux.pelluxcore";
    static constexpr std::string_view category = "Pellux";

private:
    struct State {
        LogLevel logLevel = LogLevel::none;
        std::optional<LoggingCallback> loggingCallback;
    };

    Logging();

    // The level and callback of one log call, read together.
    State snapshot() const;
    static LogLevel messageLevel(LogType type);
    void deliver(LogType type, const std::string& message, const std::optional<LoggingCallback>& callback) const;

    template <typename Item>
    static std::string describe(const Item& item);

    mutable std::mutex lock_;
    State state_;
    platform::Logger logger_;
};

constexpr int rawValue(Logging::LogLevel level) { return static_cast<int>(level); }
std::optional<Logging::LogLevel> logLevelFromRawValue(int raw);

template <typename... Items>
void Logging::log(const Format& format, LogType type, const Items&... items) const {
    const State state = snapshot();
    if (state.logLevel == LogLevel::none || state.logLevel > messageLevel(type)) return;
    std::string message;
    bool first = true;
    ((message += (first ? "" : format.separator), message += describe(items), first = false), ...);
    if (format.terminator) message += *format.terminator;
    deliver(type, message, state.loggingCallback);
}

template <typename Item>
std::string Logging::describe(const Item& item) {
    if constexpr (std::is_convertible_v<const Item&, std::string_view>) {
        return std::string(std::string_view(item));
    } else if constexpr (std::is_same_v<Item, bool>) {
        return item ? "true" : "false";
    } else if constexpr (std::is_same_v<Item, char>) {
        return std::string(1, item);
    } else if constexpr (std::is_arithmetic_v<Item>) {
        char buffer[64];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, item);
        return std::string(buffer, result.ptr);
    } else {
        std::ostringstream stream;
        stream << item;
        return stream.str();
    }
}

} // namespace pelluxcore
