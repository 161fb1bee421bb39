#include "OstrelVirorez/Input/X11/AccessibilityFocus.hpp"

#include <atspi/atspi.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace ostrelvirorez::x11 {
namespace {

// Keeps the search bounded in applications with huge trees.
constexpr int maximumVisitedElements = 4000;

struct GObjectDeleter {
    void operator()(gpointer object) const {
        if (object) g_object_unref(object);
    }
};
using AccessiblePointer = std::unique_ptr<AtspiAccessible, GObjectDeleter>;

bool accessibilityBusConfigured() {
    return std::getenv("AT_SPI_BUS_ADDRESS") || std::getenv("DBUS_SESSION_BUS_ADDRESS");
}

bool ensureInitialized() {
    static const bool initialized = [] {
        if (atspi_init() > 1) return false;
        // Calls into an unresponsive application must not stall dictation.
        atspi_set_timeout(500, 2000);
        return true;
    }();
    return initialized;
}

bool hasState(AtspiAccessible* element, AtspiStateType state) {
    std::unique_ptr<AtspiStateSet, GObjectDeleter> states(atspi_accessible_get_state_set(element));
    return states && atspi_state_set_contains(states.get(), state);
}

std::optional<std::string> textOf(AtspiAccessible* element) {
    std::unique_ptr<AtspiText, GObjectDeleter> text(atspi_accessible_get_text_iface(element));
    if (!text) return std::nullopt;
    GError* error = nullptr;
    const gint count = atspi_text_get_character_count(text.get(), &error);
    if (error) {
        g_error_free(error);
        return std::nullopt;
    }
    gchar* value = atspi_text_get_text(text.get(), 0, count, &error);
    if (error) {
        g_error_free(error);
        g_free(value);
        return std::nullopt;
    }
    std::string result = value ? value : "";
    g_free(value);
    return result;
}

class AtspiElement final : public AccessibleElement {
public:
    explicit AtspiElement(AtspiAccessible* element) : element_(element) { g_object_ref(element); }

    std::string identifier() const override {
        const auto* object = ATSPI_OBJECT(element_.get());
        const char* bus = object->app && object->app->bus_name ? object->app->bus_name : "";
        return std::string(bus) + ":" + (object->path ? object->path : "");
    }
    std::optional<std::string> currentValue() const override { return textOf(element_.get()); }

private:
    AccessiblePointer element_;
};

AccessiblePointer findApplication(pid_t processId) {
    AccessiblePointer desktop(atspi_get_desktop(0));
    if (!desktop) return nullptr;
    GError* error = nullptr;
    const gint count = atspi_accessible_get_child_count(desktop.get(), &error);
    if (error) {
        g_error_free(error);
        return nullptr;
    }
    for (gint index = 0; index < count; ++index) {
        AccessiblePointer application(atspi_accessible_get_child_at_index(desktop.get(), index, nullptr));
        if (!application) continue;
        if (atspi_accessible_get_process_id(application.get(), nullptr) == static_cast<guint>(processId)) {
            return application;
        }
    }
    return nullptr;
}

AccessiblePointer findFocused(AtspiAccessible* root) {
    std::vector<AccessiblePointer> pending;
    pending.emplace_back(AccessiblePointer(static_cast<AtspiAccessible*>(g_object_ref(root))));
    for (int visited = 0; !pending.empty() && visited < maximumVisitedElements; ++visited) {
        auto element = std::move(pending.back());
        pending.pop_back();
        if (hasState(element.get(), ATSPI_STATE_FOCUSED)) return element;
        const gint count = atspi_accessible_get_child_count(element.get(), nullptr);
        for (gint index = count - 1; index >= 0; --index) {
            AccessiblePointer child(atspi_accessible_get_child_at_index(element.get(), index, nullptr));
            // Hidden parts of the interface cannot hold the focus.
            if (child && hasState(child.get(), ATSPI_STATE_SHOWING)) pending.push_back(std::move(child));
        }
    }
    return nullptr;
}

} // namespace

std::optional<FocusedElementSnapshot> focusedTextElement(pid_t processId) {
    if (!accessibilityBusConfigured() || !ensureInitialized()) return std::nullopt;
    const auto application = findApplication(processId);
    if (!application) return std::nullopt;
    const auto focused = findFocused(application.get());
    if (!focused) return std::nullopt;
    auto value = textOf(focused.get());
    if (!value) return std::nullopt;
    return FocusedElementSnapshot{std::make_shared<AtspiElement>(focused.get()), std::move(*value)};
}

} // namespace ostrelvirorez::x11
