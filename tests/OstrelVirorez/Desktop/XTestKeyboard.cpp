#include "tests/OstrelVirorez/Desktop/XTestKeyboard.hpp"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <stdexcept>

namespace ostrelvirorez::desktoptest {

XTestKeyboard::XTestKeyboard(const std::string& displayName) : display_(XOpenDisplay(displayName.c_str())) {
    if (!display_) throw std::runtime_error("cannot open " + displayName);
}

XTestKeyboard::~XTestKeyboard() {
    XCloseDisplay(display_);
}

unsigned int XTestKeyboard::keyCode(unsigned long keySymbol) {
    if (const auto code = XKeysymToKeycode(display_, keySymbol); code != 0) return code;
    int first = 0;
    int last = 0;
    XDisplayKeycodes(display_, &first, &last);
    for (int code = last; code >= first; --code) {
        if (XkbKeycodeToKeysym(display_, static_cast<KeyCode>(code), 0, 0) != NoSymbol) continue;
        KeySym symbols[1] = {keySymbol};
        XChangeKeyboardMapping(display_, code, 1, symbols, 1);
        XSync(display_, False);
        return static_cast<unsigned int>(code);
    }
    throw std::runtime_error("no spare key code");
}

void XTestKeyboard::press(unsigned long keySymbol) {
    XTestFakeKeyEvent(display_, keyCode(keySymbol), True, CurrentTime);
    XSync(display_, False);
}

void XTestKeyboard::release(unsigned long keySymbol) {
    XTestFakeKeyEvent(display_, keyCode(keySymbol), False, CurrentTime);
    XSync(display_, False);
}

void XTestKeyboard::tap(unsigned long keySymbol) {
    press(keySymbol);
    release(keySymbol);
}

} // namespace ostrelvirorez::desktoptest
