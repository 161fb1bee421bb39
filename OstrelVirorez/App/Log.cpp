#include "OstrelVirorez/App/Log.hpp"

#include "Platform/Core/Immortal.hpp"
#include "Platform/Core/Logger.hpp"

namespace ostrelvirorez {

// Never destroyed: the exit guards and the engine threads may still log while
// the process's static objects are torn down.
const platform::Logger& virorezLogger() {
    static const platform::Immortal<platform::Logger> logger("zar.zozorudirozo.OstrelVirorez", "dictation");
    return logger.get();
}

void logVirorez(std::string_view message) {
    virorezLogger().info(message);
}

void logVirorezPrivate(std::string_view summary, std::string_view detail) {
    virorezLogger().info(summary);
    virorezLogger().debug(detail);
}

} // namespace ostrelvirorez
