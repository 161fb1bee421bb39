#include "OstrelVirorez/Input/X11/XInputKeyEventTap.hpp"

#include "OstrelVirorez/Input/X11/FileDescriptorPump.hpp"
#include "OstrelVirorez/Input/X11/KeyCodeTranslation.hpp"
#include "OstrelVirorez/Input/X11/X11Display.hpp"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <array>
#include <cstdlib>

namespace ostrelvirorez::x11 {

XInputKeyEventTap::XInputKeyEventTap(platform::MainQueue* mainQueue, std::string displayName)
    : mainQueue_(mainQueue), displayName_(std::move(displayName)) {}

XInputKeyEventTap::~XInputKeyEventTap() {
    disable();
}

bool XInputKeyEventTap::enable(Handler handler) {
    disable();
    unavailableReason_ = openListenConnection();
    if (!unavailableReason_.empty()) return false;
    handler_ = std::move(handler);
    modifierFlags_ = 0;
    if (mainQueue_) {
        pump_ = std::make_unique<FileDescriptorPump>(*mainQueue_, display_->fileDescriptor(),
                                                     [this] { processPendingEvents(); });
    }
    return true;
}

std::string XInputKeyEventTap::openListenConnection() {
    if (isWaylandSession()) {
        return "global hotkeys need an X11 session; a Wayland session lets no application listen to the keys of others";
    }
    const char* environmentDisplay = std::getenv("DISPLAY");
    const std::string name = !displayName_.empty() ? displayName_ : environmentDisplay ? environmentDisplay : "";
    if (name.empty()) return "no X11 display to listen on for hotkeys (DISPLAY is not set)";
    auto display = X11Display::open(displayName_);
    if (!display) return "the X11 display \"" + name + "\" cannot be opened, so hotkeys cannot be heard";
    Display* x = display->get();
    int event = 0;
    int error = 0;
    if (!XQueryExtension(x, "XInputExtension", &opcode_, &event, &error)) {
        return "the X11 display \"" + name + "\" has no XInput extension to hear hotkeys with";
    }
    int major = 2;
    int minor = 2;
    if (XIQueryVersion(x, &major, &minor) != Success) {
        return "the X11 display \"" + name + "\" does not offer XInput 2.2, which hotkeys need";
    }

    std::array<unsigned char, XIMaskLen(XI_LASTEVENT)> bits{};
    XISetMask(bits.data(), XI_RawKeyPress);
    XISetMask(bits.data(), XI_RawKeyRelease);
    XIEventMask mask{XIAllMasterDevices, static_cast<int>(bits.size()), bits.data()};
    XISelectEvents(x, DefaultRootWindow(x), &mask, 1);
    XSync(x, False);
    display_ = std::move(display);
    return {};
}

void XInputKeyEventTap::disable() {
    pump_.reset();
    display_.reset();
    handler_ = nullptr;
}

void XInputKeyEventTap::processPendingEvents(std::chrono::milliseconds timeout) {
    if (!display_ || !display_->waitForEvents(timeout)) return;
    Display* x = display_->get();
    while (display_ && XPending(x) > 0) {
        XEvent event;
        XNextEvent(x, &event);
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != opcode_ || !XGetEventData(x, cookie)) continue;
        const bool isKey = cookie->evtype == XI_RawKeyPress || cookie->evtype == XI_RawKeyRelease;
        const auto keyCode = isKey ? static_cast<const XIRawEvent*>(cookie->data)->detail : 0;
        const bool pressed = cookie->evtype == XI_RawKeyPress;
        XFreeEventData(x, cookie);
        // The handler may disable the tap, which closes the connection.
        if (isKey) deliver(static_cast<unsigned int>(keyCode), pressed);
    }
}

void XInputKeyEventTap::deliver(unsigned int xKeyCode, bool pressed) {
    const auto symbol = XkbKeycodeToKeysym(display_->get(), static_cast<KeyCode>(xKeyCode), 0, 0);
    const auto code = applicationKeyCode(symbol);
    if (!code || !handler_) return;
    const auto handler = handler_;
    if (reportsFlagsChanged(*code)) {
        const auto bit = modifierFlagBit(*code);
        modifierFlags_ = pressed ? (modifierFlags_ | bit) : (modifierFlags_ & ~bit);
        handler({KeyEventType::flagsChanged, *code, modifierFlags_});
        return;
    }
    handler({pressed ? KeyEventType::keyDown : KeyEventType::keyUp, *code, modifierFlags_});
}

} // namespace ostrelvirorez::x11
