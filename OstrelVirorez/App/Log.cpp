#include "OstrelVirorez/App/Log.hpp"

#include "Platform/Core/Logger.hpp"

namespace ostrelvirorez {

const platform::Logger& virorezLogger() {
    static const platform::Logger logger("zar.zozorudirozo.OstrelVirorez", "dictation");
    return logger;
}

void logVirorez(std::string_view message) {
    virorezLogger().info(message);
}

} // namespace ostrelvirorez
