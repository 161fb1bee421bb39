#pragma once
// The key event tap of the desktop session the application runs in.

#include "OstrelVirorez/Input/KeyEventTap.hpp"

#include <memory>

namespace platform {
class MainQueue;
}

namespace ostrelvirorez {

// Delivers on `mainQueue`; on a session without listen-only key access the
// tap never enables.
std::unique_ptr<KeyEventTap> makeSystemKeyEventTap(platform::MainQueue& mainQueue);

} // namespace ostrelvirorez
