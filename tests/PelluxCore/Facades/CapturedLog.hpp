#pragma once
// Turns the package log on at debug level for one test and keeps its lines;
// puts the log back to silent afterwards.

#include "PelluxCore/Logging.hpp"

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

namespace pelluxcore::testing {

class CapturedLog {
public:
    CapturedLog() {
        Logging::updateLogLevel(Logging::LogLevel::debug);
        Logging::updateCallback([this](const std::string& message) {
            std::lock_guard lock(mutex_);
            lines_.push_back(message);
        });
    }
    ~CapturedLog() {
        Logging::updateCallback(std::nullopt);
        Logging::updateLogLevel(Logging::LogLevel::none);
    }
    CapturedLog(const CapturedLog&) = delete;
    CapturedLog& operator=(const CapturedLog&) = delete;

    std::vector<std::string> lines() const {
        std::lock_guard lock(mutex_);
        return lines_;
    }
    bool contains(const std::string& line) const {
        const auto all = lines();
        return std::ranges::find(all, line) != all.end();
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

} // namespace pelluxcore::testing
