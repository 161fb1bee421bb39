#include "PelluxCore/Logging.hpp"

#include "Platform/Files/FileContents.hpp"

#include <algorithm>
#include <cstdio>
#include <exception>

namespace pelluxcore {

Logging::Logging() : logger_(std::string(defaultSubsystem), std::string(category)) {}

Logging& Logging::shared() {
    static Logging instance;
    return instance;
}

Logging::LogLevel Logging::logLevel() const {
    std::lock_guard guard(lock_);
    return state_.logLevel;
}

void Logging::setLogLevel(LogLevel level) {
    std::lock_guard guard(lock_);
    state_.logLevel = level;
}

std::optional<Logging::LoggingCallback> Logging::loggingCallback() const {
    std::lock_guard guard(lock_);
    return state_.loggingCallback;
}

void Logging::setLoggingCallback(std::optional<LoggingCallback> callback) {
    // An empty function is no callback at all.
    if (callback && !*callback) callback.reset();
    std::lock_guard guard(lock_);
    state_.loggingCallback = std::move(callback);
}

bool Logging::isLoggingEnabled() {
    return shared().logLevel() != LogLevel::none;
}

bool Logging::isLoggingEnabled(LogLevel level) {
    const LogLevel current = shared().logLevel();
    return current != LogLevel::none && level >= current;
}

Logging::State Logging::snapshot() const {
    std::lock_guard guard(lock_);
    return state_;
}

Logging::LogLevel Logging::messageLevel(LogType type) {
    switch (type) {
    case LogType::debug: return LogLevel::debug;
    case LogType::info: return LogLevel::info;
    case LogType::error:
    case LogType::fault: return LogLevel::error;
    default: return LogLevel::info;
    }
}

void Logging::deliver(LogType type, const std::string& message,
                      const std::optional<LoggingCallback>& callback) const {
    if (callback) {
        (*callback)(message);
        return;
    }
    logger_.log(type, message);
}

std::optional<Logging::LogLevel> logLevelFromRawValue(int raw) {
    if (raw < rawValue(Logging::LogLevel::debug) || raw > rawValue(Logging::LogLevel::none)) return std::nullopt;
    return static_cast<Logging::LogLevel>(raw);
}

std::uint64_t Logging::memoryUsageFromStatus(std::string_view statusText) {
    constexpr std::string_view key = "VmRSS:";
    std::size_t position = 0;
    while (position < statusText.size()) {
        const std::size_t end = std::min(statusText.find('\n', position), statusText.size());
        const std::string_view line = statusText.substr(position, end - position);
        position = end + 1;
        if (!line.starts_with(key)) continue;
        std::string_view rest = line.substr(key.size());
        const auto digits = rest.find_first_of("0123456789");
        if (digits == std::string_view::npos) return 0;
        rest.remove_prefix(digits);
        std::uint64_t kibibytes = 0;
        const auto [ptr, error] = std::from_chars(rest.data(), rest.data() + rest.size(), kibibytes);
        if (error != std::errc{} || std::string_view(ptr, rest.data() + rest.size()).find("kB") == std::string_view::npos) {
            return 0;
        }
        // Bytes shifted right by 20 is kibibytes shifted right by 10.
        return kibibytes >> 10;
    }
    return 0;
}

std::uint64_t Logging::getMemoryUsage() {
    try {
        return memoryUsageFromStatus(platform::files::readFile("/proc/self/status"));
    } catch (const std::exception&) {
        return 0;
    }
}

void Logging::logCurrentMemoryUsage(std::string_view message) {
    if (!isLoggingEnabled(LogLevel::debug)) return;
    debug(std::string(message) + " - Memory usage: " + std::to_string(getMemoryUsage()) + " MB");
}

std::string Logging::formatTimeWithPercentage(double time, double runs, double totalTime) {
    const double milliseconds = time * 1000;
    const double perRun = runs > 0 ? milliseconds / runs : 0;
    const double share = milliseconds / totalTime * 100;
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, "%8.2f ms / %6.0f runs (%8.2f ms/run) %5.2f%%", milliseconds, runs,
                  perRun, share);
    return buffer;
}

} // namespace pelluxcore
