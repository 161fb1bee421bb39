#include "OstrelVirorez/Input/X11/WindowProperties.hpp"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <climits>
#include <memory>

namespace ostrelvirorez::x11 {
namespace {

struct XFreeDeleter {
    void operator()(void* data) const {
        if (data) XFree(data);
    }
};

struct Property {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    std::unique_ptr<unsigned char, XFreeDeleter> data;
};

std::optional<Property> readProperty(Display* display, Window window, const char* name, Atom type) {
    Property property;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const Atom atom = XInternAtom(display, name, False);
    if (XGetWindowProperty(display, window, atom, 0, LONG_MAX / 4, False, type, &property.type, &property.format,
                           &property.count, &after, &data) != Success) {
        return std::nullopt;
    }
    property.data.reset(data);
    if (!data || property.type == None) return std::nullopt;
    return property;
}

} // namespace

std::vector<unsigned long> cardinalProperty(Display* display, unsigned long window, const char* name,
                                            unsigned long type) {
    const auto property = readProperty(display, window, name, type);
    if (!property || property->format != 32) return {};
    const auto* values = reinterpret_cast<const unsigned long*>(property->data.get());
    return {values, values + property->count};
}

std::vector<std::string> atomProperty(Display* display, unsigned long window, const char* name) {
    std::vector<std::string> names;
    for (const auto atom : cardinalProperty(display, window, name, XA_ATOM)) {
        std::unique_ptr<char, XFreeDeleter> text(XGetAtomName(display, atom));
        if (text) names.emplace_back(text.get());
    }
    return names;
}

std::optional<unsigned long> activeWindow(Display* display) {
    const auto values = cardinalProperty(display, DefaultRootWindow(display), "_NET_ACTIVE_WINDOW", XA_WINDOW);
    if (values.empty() || values.front() == None) return std::nullopt;
    return values.front();
}

std::optional<unsigned long> focusWindow(Display* display) {
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    if (focus == None || focus == PointerRoot) return std::nullopt;
    return focus;
}

std::vector<unsigned long> clientWindows(Display* display) {
    return cardinalProperty(display, DefaultRootWindow(display), "_NET_CLIENT_LIST", XA_WINDOW);
}

std::optional<WindowClass> windowClass(Display* display, unsigned long window) {
    const Window root = DefaultRootWindow(display);
    for (Window current = window; current != None && current != root;) {
        XClassHint hint{};
        if (XGetClassHint(display, current, &hint)) {
            WindowClass result{hint.res_name ? hint.res_name : "", hint.res_class ? hint.res_class : ""};
            if (hint.res_name) XFree(hint.res_name);
            if (hint.res_class) XFree(hint.res_class);
            return result;
        }
        Window rootReturn = None;
        Window parent = None;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display, current, &rootReturn, &parent, &children, &count)) break;
        if (children) XFree(children);
        current = parent;
    }
    return std::nullopt;
}

std::optional<unsigned long> windowProcessId(Display* display, unsigned long window) {
    const auto values = cardinalProperty(display, window, "_NET_WM_PID", XA_CARDINAL);
    if (values.empty()) return std::nullopt;
    return values.front();
}

std::optional<std::string> windowTitle(Display* display, unsigned long window) {
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    if (const auto name = readProperty(display, window, "_NET_WM_NAME", utf8); name && name->format == 8) {
        return std::string(reinterpret_cast<const char*>(name->data.get()), name->count);
    }
    if (const auto name = readProperty(display, window, "WM_NAME", AnyPropertyType); name && name->format == 8) {
        return std::string(reinterpret_cast<const char*>(name->data.get()), name->count);
    }
    return std::nullopt;
}

} // namespace ostrelvirorez::x11
