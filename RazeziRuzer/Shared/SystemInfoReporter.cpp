#include "RazeziRuzer/Shared/SystemInfoReporter.hpp"

#include "RazeziRuzer/Shared/AppLogger.hpp"
#include "RazeziRuzer/Shared/SystemInfo.hpp"

namespace razeziruzer {

SystemInfoReporter& SystemInfoReporter::shared() {
    static SystemInfoReporter reporter;
    return reporter;
}

void SystemInfoReporter::logIfNeeded(const AppLogger& logger) {
    {
        std::lock_guard lock(mutex_);
        if (didLog_) return;
        didLog_ = true;
    }
    logger.info("Host environment: " + SystemInfo::summary());
}

} // namespace razeziruzer
