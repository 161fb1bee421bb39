#include "OstrelVirorez/Input/TargetAppDetector.hpp"

#include "OstrelVirorez/Input/DesktopApplicationIndex.hpp"
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
    if (auto windowClass = x11::windowClass(display, *window)) {
        front.instance = std::move(windowClass->instance);
        front.className = std::move(windowClass->className);
    }
    if (const auto pid = x11::windowProcessId(display, *window)) front.processId = static_cast<pid_t>(*pid);
    return front;
}

TargetAppDetector::Application TargetAppDetector::identify(const Frontmost& front) {
    const auto index = DesktopApplicationIndex::installed();
    Application application;
    application.bundleIdentifier = index.applicationIdentifier(front.instance, front.className);
    const auto* entry = index.entryForWindow(front.instance, front.className);
    if (entry && !entry->name.empty()) application.name = entry->name;
    else if (!front.className.empty()) application.name = front.className;
    if (entry && !entry->icon.empty()) application.icon = entry->icon;
    else if (!front.instance.empty()) application.icon = platform::text::lowercased(front.instance);
    return application;
}

TargetAppInfo TargetAppDetector::reportForeign(const Application& application) {
    const auto name = application.name.value_or("Unknown");
    lastBundleIdentifier_ = application.bundleIdentifier.value_or("default");
    lastAppName_ = name;
    return {platform::text::prefix(name, shownNameLength), application.icon, application.bundleIdentifier};
}

TargetAppInfo TargetAppDetector::captureCurrentApp() {
    const auto front = frontmost();
    const auto application = front ? std::optional(identify(*front)) : std::nullopt;
    const bool isOwn = front && front->processId == ownProcessId_;
    if (front && !isOwn) return reportForeign(*application);
    if (!lastBundleIdentifier_.empty() && lastBundleIdentifier_ != "default") {
        return {platform::text::prefix(lastAppName_, shownNameLength), application ? application->icon : std::nullopt,
                lastBundleIdentifier_};
    }
    if (!front) return {"Unknown", std::nullopt, std::nullopt};
    return reportForeign(*application);
}

std::optional<std::string> TargetAppDetector::frontmostApplicationIdentifier() {
    const auto front = frontmost();
    if (!front) return std::nullopt;
    return DesktopApplicationIndex::installed().applicationIdentifier(front->instance, front->className);
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
