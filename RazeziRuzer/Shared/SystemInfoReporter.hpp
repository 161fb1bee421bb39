#pragma once
// Logs the host summary once per process; operations run one at a time.

#include <mutex>

namespace razeziruzer {

class AppLogger;

class SystemInfoReporter {
public:
    static SystemInfoReporter& shared();

    SystemInfoReporter() = default;
    SystemInfoReporter(const SystemInfoReporter&) = delete;
    SystemInfoReporter& operator=(const SystemInfoReporter&) = delete;

    void logIfNeeded(const AppLogger& logger);

private:
    std::mutex mutex_;
    bool didLog_ = false;
};

} // namespace razeziruzer
