#include "tests/OstrelVirorez/EndToEnd/ClipboardOwner.hpp"

#include "OstrelVirorez/Input/X11/X11Clipboard.hpp"

#include <chrono>
#include <stdexcept>

namespace ostrelvirorez::endtoend {

ClipboardOwner::ClipboardOwner(const std::string& displayName, const ClipboardSnapshot& content)
    : clipboard_(x11::X11Clipboard::open(displayName)) {
    if (!clipboard_) throw std::runtime_error("cannot open " + displayName);
    clipboard_->restore(content);
    thread_ = std::jthread([this](std::stop_token stop) {
        while (!stop.stop_requested()) clipboard_->processPendingEvents(std::chrono::milliseconds(20));
    });
}

ClipboardOwner::~ClipboardOwner() {
    thread_.request_stop();
    thread_.join();
}

} // namespace ostrelvirorez::endtoend
