#pragma once
// A named log channel (subsystem and category), standing in for the unified
// log. Records go to the process's log sink: standard error by default, a
// capturing sink while a test installs one with ScopedLogCapture.

#include "Platform/Core/LogSink.hpp"

#include <memory>
#include <string>
#include <string_view>

namespace platform {

class Logger {
public:
    Logger(std::string subsystem, std::string category);

    const std::string& subsystem() const { return subsystem_; }
    const std::string& category() const { return category_; }

    void log(LogLevel level, std::string_view message) const;
    // For loggers that print their own standard-error line for a record.
    void logEchoed(LogLevel level, std::string_view message) const;
    void debug(std::string_view message) const { log(LogLevel::debug, message); }
    void info(std::string_view message) const { log(LogLevel::info, message); }
    void notice(std::string_view message) const { log(LogLevel::notice, message); }
    void warning(std::string_view message) const { log(LogLevel::warning, message); }
    void error(std::string_view message) const { log(LogLevel::error, message); }
    void fault(std::string_view message) const { log(LogLevel::fault, message); }

    // Replaces the process's sink; nullptr restores standard error.
    static void setSink(std::shared_ptr<LogSink> sink);

private:
    std::string subsystem_;
    std::string category_;
};

// Captures every record logged anywhere in the process while it lives.
class ScopedLogCapture {
public:
    ScopedLogCapture();
    ~ScopedLogCapture();
    ScopedLogCapture(const ScopedLogCapture&) = delete;
    ScopedLogCapture& operator=(const ScopedLogCapture&) = delete;

    CapturingLogSink& sink() { return *sink_; }
    bool contains(std::string_view fragment) const { return sink_->contains(fragment); }

private:
    std::shared_ptr<CapturingLogSink> sink_;
};

} // namespace platform
