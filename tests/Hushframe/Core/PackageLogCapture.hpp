#pragma once
// Captures the package log's messages at a chosen level while it lives, and
// restores the silent default afterwards.

#include "PelluxCore/Logging.hpp"

#include <mutex>
#include <string>
#include <vector>

namespace hushframe::testing {

class PackageLogCapture {
public:
    explicit PackageLogCapture(pelluxcore::Logging::LogLevel level = pelluxcore::Logging::LogLevel::debug) {
        pelluxcore::Logging::updateLogLevel(level);
        pelluxcore::Logging::updateCallback([this](const std::string& message) {
            std::lock_guard lock(mutex_);
            messages_.push_back(message);
        });
    }
    ~PackageLogCapture() {
        pelluxcore::Logging::updateCallback(std::nullopt);
        pelluxcore::Logging::updateLogLevel(pelluxcore::Logging::LogLevel::none);
    }
    PackageLogCapture(const PackageLogCapture&) = delete;
    PackageLogCapture& operator=(const PackageLogCapture&) = delete;

    std::vector<std::string> messages() const {
        std::lock_guard lock(mutex_);
        return messages_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> messages_;
};

} // namespace hushframe::testing
