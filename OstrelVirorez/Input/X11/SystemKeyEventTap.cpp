#include "OstrelVirorez/Input/SystemKeyEventTap.hpp"

#include "OstrelVirorez/Input/X11/XInputKeyEventTap.hpp"

namespace ostrelvirorez {

std::unique_ptr<KeyEventTap> makeSystemKeyEventTap(platform::MainQueue& mainQueue) {
    return std::make_unique<x11::XInputKeyEventTap>(&mainQueue);
}

} // namespace ostrelvirorez
