#pragma once
// The running transcript of the recording in progress, as the indicator
// shows it: the latest non-empty preview and whether a preview is running.

#include "OstrelVirorez/App/Published.hpp"

#include <string>

namespace ostrelvirorez {

class LiveTranscriptMonitor {
public:
    Published<std::string> preview{std::string{}};
    Published<bool> isActive{false};
};

} // namespace ostrelvirorez
