#include "OstrelVirorez/Input/X11/PasteKeystroke.hpp"

#include "OstrelVirorez/Input/X11/WindowProperties.hpp"
#include "OstrelVirorez/Input/X11/X11Display.hpp"
#include "Platform/Text/CaseMapping.hpp"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <array>
#include <string_view>

namespace ostrelvirorez::x11 {

bool isTerminalWindowClass(const std::string& instance, const std::string& className) {
    static constexpr std::array<std::string_view, 26> terminals{
        "xterm", "uxterm", "gnome-terminal", "gnome-terminal-server", "org.gnome.console", "kgx", "konsole",
        "xfce4-terminal", "terminator", "tilix", "alacritty", "kitty", "urxvt", "rxvt", "st", "st-256color",
        "foot", "wezterm", "org.wezfurlong.wezterm", "lxterminal", "mate-terminal", "qterminal", "terminology",
        "sakura", "guake", "tilda"};
    for (const auto& name : {instance, className}) {
        const auto lower = platform::text::lowercased(name);
        for (const auto terminal : terminals) {
            if (lower == terminal) return true;
        }
    }
    return false;
}

bool synthesizePaste(X11Display& connection) {
    Display* display = connection.get();
    int event = 0;
    int error = 0;
    int major = 0;
    int minor = 0;
    if (!XTestQueryExtension(display, &event, &error, &major, &minor)) return false;
    const auto control = XKeysymToKeycode(display, XK_Control_L);
    const auto shift = XKeysymToKeycode(display, XK_Shift_L);
    const auto v = XKeysymToKeycode(display, XK_v);
    if (control == 0 || v == 0) return false;

    auto target = activeWindow(display);
    if (!target) target = focusWindow(display);
    const auto targetClass = target ? windowClass(display, *target) : std::nullopt;
    const bool terminal = targetClass && isTerminalWindowClass(targetClass->instance, targetClass->className);
    if (terminal && shift == 0) return false;

    XTestFakeKeyEvent(display, control, True, CurrentTime);
    if (terminal) XTestFakeKeyEvent(display, shift, True, CurrentTime);
    XTestFakeKeyEvent(display, v, True, CurrentTime);
    XTestFakeKeyEvent(display, v, False, CurrentTime);
    if (terminal) XTestFakeKeyEvent(display, shift, False, CurrentTime);
    XTestFakeKeyEvent(display, control, False, CurrentTime);
    XFlush(display);
    return true;
}

} // namespace ostrelvirorez::x11
