#include "OstrelVirorez/Input/TargetAppDetector.hpp"

#include "OstrelVirorez/Input/X11/AccessibilityFocus.hpp"
#include "OstrelVirorez/Input/X11/WindowProperties.hpp"
#include "OstrelVirorez/Input/X11/X11Display.hpp"
#include "Platform/Text/Characters.hpp"
#include "Platform/Text/CaseMapping.hpp"

#include <unistd.h>

namespace ostrelvirorez {
namespace {

constexpr std::size_t shownNameLength = 12;

} // namespace

pid_t TargetAppDetector::getOwnProcessId() {
    return getpid();
}

TargetAppDetector::TargetAppDetector(const std::string& displayName, pid_t ownProcessId)
    : display_(x11::X11Display::open(displayName)), ownProcessId_(ownProcessId) {}

TargetAppDetector::~TargetAppDetector() = default;

std::optional<TargetAppDetector::Frontmost> TargetAppDetector::frontmost() {
    if (!display_) return std::nullopt;
    auto* display = display_->get();
    const auto window = x11::activeWindow(display);
    if (!window) return std::nullopt;
    Frontmost front;
    front.window = *window;
    if (const auto windowClass = x11::windowClass(display, *window)) {
        if (!windowClass->className.empty()) {
            front.bundleIdentifier = windowClass->className;
            front.name = windowClass->className;
        }
        if (!windowClass->instance.empty()) front.icon = platform::text::lowercased(windowClass->instance);
    }
    if (const auto pid = x11::windowProcessId(display, *window)) front.processId = static_cast<pid_t>(*pid);
    return front;
}

TargetAppInfo TargetAppDetector::reportForeign(const Frontmost& front) {
    const auto name = front.name.value_or("Unknown");
    lastBundleIdentifier_ = front.bundleIdentifier.value_or("default");
    lastAppName_ = name;
    return {platform::text::prefix(name, shownNameLength), front.icon, front.bundleIdentifier};
}

TargetAppInfo TargetAppDetector::captureCurrentApp() {
    const auto front = frontmost();
    const bool isOwn = front && front->processId == ownProcessId_;
    if (front && !isOwn) return reportForeign(*front);
    if (!lastBundleIdentifier_.empty() && lastBundleIdentifier_ != "default") {
        return {platform::text::prefix(lastAppName_, shownNameLength), front ? front->icon : std::nullopt,
                lastBundleIdentifier_};
    }
    if (!front) return {"Unknown", std::nullopt, std::nullopt};
    return reportForeign(*front);
}

std::optional<std::string> TargetAppDetector::captureWindowTitle() {
    const auto front = frontmost();
    if (!front) return std::nullopt;
    auto title = x11::windowTitle(display_->get(), front->window);
    if (!title || title->empty()) return std::nullopt;
    return title;
}

std::optional<FocusedElementSnapshot> TargetAppDetector::captureFocusedElementSnapshot() {
    const auto front = frontmost();
    if (!front || !front->processId) return std::nullopt;
    return x11::focusedTextElement(*front->processId);
}

} // namespace ostrelvirorez
