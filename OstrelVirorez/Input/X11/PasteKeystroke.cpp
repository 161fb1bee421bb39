#include "OstrelVirorez/Input/X11/PasteKeystroke.hpp"

#include "OstrelVirorez/Input/X11/WindowProperties.hpp"
#include "OstrelVirorez/Input/X11/X11Display.hpp"
#include "Platform/Text/CaseMapping.hpp"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <array>
#include <string_view>
#include <vector>

namespace ostrelvirorez::x11 {
namespace {

bool classIsOneOf(const std::string& instance, const std::string& className,
                  const auto& names) {
    for (const auto& name : {instance, className}) {
        const auto lower = platform::text::lowercased(name);
        for (const std::string_view known : names) {
            if (lower == known) return true;
        }
    }
    return false;
}

} // namespace

bool isTerminalWindowClass(const std::string& instance, const std::string& className) {
    static constexpr std::array<std::string_view, 26> terminals{
        "xterm", "uxterm", "gnome-terminal", "gnome-terminal-server", "org.gnome.console", "kgx", "konsole",
        "xfce4-terminal", "terminator", "tilix", "alacritty", "kitty", "urxvt", "rxvt", "st", "st-256color",
        "foot", "wezterm", "org.wezfurlong.wezterm", "lxterminal", "mate-terminal", "qterminal", "terminology",
        "sakura", "guake", "tilda"};
    return classIsOneOf(instance, className, terminals);
}

PasteChord pasteChordFor(const std::string& instance, const std::string& className) {
    // In the rxvt family Control-Shift starts entering a character by its code.
    static constexpr std::array<std::string_view, 4> xtermFamily{"xterm", "uxterm", "urxvt", "rxvt"};
    if (classIsOneOf(instance, className, xtermFamily)) return PasteChord::shiftInsert;
    if (isTerminalWindowClass(instance, className)) return PasteChord::controlShiftV;
    return PasteChord::controlV;
}

PasteChord focusedPasteChord(X11Display& connection) {
    Display* display = connection.get();
    auto target = activeWindow(display);
    if (!target) target = focusWindow(display);
    const auto targetClass = target ? windowClass(display, *target) : std::nullopt;
    return targetClass ? pasteChordFor(targetClass->instance, targetClass->className) : PasteChord::controlV;
}

bool synthesizePaste(X11Display& connection, PasteChord chord) {
    Display* display = connection.get();
    int event = 0;
    int error = 0;
    int major = 0;
    int minor = 0;
    if (!XTestQueryExtension(display, &event, &error, &major, &minor)) return false;

    std::vector<KeySym> modifiers;
    KeySym key = XK_v;
    switch (chord) {
    case PasteChord::controlV: modifiers = {XK_Control_L}; break;
    case PasteChord::controlShiftV: modifiers = {XK_Control_L, XK_Shift_L}; break;
    case PasteChord::shiftInsert:
        modifiers = {XK_Shift_L};
        key = XK_Insert;
        break;
    }
    std::vector<KeyCode> codes;
    for (const KeySym symbol : modifiers) codes.push_back(XKeysymToKeycode(display, symbol));
    codes.push_back(XKeysymToKeycode(display, key));
    for (const KeyCode code : codes) {
        if (code == 0) return false;
    }

    for (const KeyCode code : codes) XTestFakeKeyEvent(display, code, True, CurrentTime);
    for (auto code = codes.rbegin(); code != codes.rend(); ++code) XTestFakeKeyEvent(display, *code, False, CurrentTime);
    XFlush(display);
    return true;
}

} // namespace ostrelvirorez::x11
