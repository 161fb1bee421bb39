#include "Platform/Core/Logger.hpp"

#include "Platform/Core/Immortal.hpp"

#include <atomic>

namespace platform {

namespace {

// Both outlive every static object, so a record logged during the teardown
// at exit still reaches standard error.
std::shared_ptr<LogSink> defaultSink() {
    static Immortal<std::shared_ptr<LogSink>> sink(
        std::make_shared<StderrLogSink>(StderrLogSink::thresholdFromEnvironment()));
    return sink.get();
}

// The process's one log destination; swapped atomically so loggers on any
// thread see either the old or the new sink, never a torn pointer.
std::atomic<std::shared_ptr<LogSink>>& currentSink() {
    static Immortal<std::atomic<std::shared_ptr<LogSink>>> sink(defaultSink());
    return sink.get();
}

} // namespace

Logger::Logger(std::string subsystem, std::string category)
    : subsystem_(std::move(subsystem)), category_(std::move(category)) {}

void Logger::log(LogLevel level, std::string_view message) const {
    const auto sink = currentSink().load();
    sink->write(LogRecord{std::chrono::system_clock::now(), level, subsystem_, category_, std::string(message)});
}

void Logger::logEchoed(LogLevel level, std::string_view message) const {
    const auto sink = currentSink().load();
    LogRecord record{std::chrono::system_clock::now(), level, subsystem_, category_, std::string(message)};
    record.echoedToStderr = true;
    sink->write(record);
}

void Logger::setSink(std::shared_ptr<LogSink> sink) {
    currentSink().store(sink ? std::move(sink) : defaultSink());
}

ScopedLogCapture::ScopedLogCapture() : sink_(std::make_shared<CapturingLogSink>()) {
    Logger::setSink(sink_);
}

ScopedLogCapture::~ScopedLogCapture() {
    Logger::setSink(nullptr);
}

} // namespace platform
