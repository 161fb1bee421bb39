#include "OstrelVirorez/Input/XKeyboardMappingStore.hpp"

#include "OstrelVirorez/Input/CapsLockRemapper.hpp"
#include "OstrelVirorez/Input/X11/X11Display.hpp"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XKBstr.h>
#include <X11/keysym.h>

#include <array>
#include <cstring>
#include <utility>

namespace ostrelvirorez {
namespace {

// Keyboard usages (page 7) of the keys Caps Lock is commonly mapped to.
constexpr std::array<std::pair<std::uint64_t, KeySym>, 6> usageSymbols{{
    {0x70000006E, XK_F19},
    {0x700000029, XK_Escape},
    {0x7000000E0, XK_Control_L},
    {0x70000002A, XK_BackSpace},
    {0x700000039, XK_Caps_Lock},
    {0x70000006D, XK_F18},
}};

std::optional<std::uint64_t> usageOf(KeySym symbol) {
    for (const auto& [usage, known] : usageSymbols) {
        if (known == symbol) return usage;
    }
    return std::nullopt;
}

std::optional<KeySym> symbolOf(std::uint64_t usage) {
    for (const auto& [known, symbol] : usageSymbols) {
        if (known == usage) return symbol;
    }
    return std::nullopt;
}

// The physical Caps Lock key, found by its keyboard-description name so it
// is found again after its symbol was changed.
std::optional<KeyCode> capsLockKey(Display* display) {
    XkbDescPtr keyboard = XkbGetMap(display, 0, XkbUseCoreKbd);
    if (keyboard && XkbGetNames(display, XkbKeyNamesMask, keyboard) == Success && keyboard->names &&
        keyboard->names->keys) {
        for (int code = keyboard->min_key_code; code <= keyboard->max_key_code; ++code) {
            if (std::strncmp(keyboard->names->keys[code].name, "CAPS", XkbKeyNameLength) == 0) {
                XkbFreeKeyboard(keyboard, 0, True);
                return static_cast<KeyCode>(code);
            }
        }
    }
    if (keyboard) XkbFreeKeyboard(keyboard, 0, True);
    const KeyCode code = XKeysymToKeycode(display, XK_Caps_Lock);
    if (code == 0) return std::nullopt;
    return code;
}

bool setLockModifier(Display* display, KeyCode key, bool locks) {
    XModifierKeymap* map = XGetModifierMapping(display);
    if (!map) return false;
    if (locks) {
        map = XInsertModifiermapEntry(map, key, LockMapIndex);
    } else {
        map = XDeleteModifiermapEntry(map, key, LockMapIndex);
    }
    const bool done = XSetModifierMapping(display, map) == MappingSuccess;
    XFreeModifiermap(map);
    return done;
}

bool setSymbol(Display* display, KeyCode key, KeySym symbol) {
    int perKey = 0;
    KeySym* current = XGetKeyboardMapping(display, key, 1, &perKey);
    if (!current || perKey <= 0) {
        if (current) XFree(current);
        return false;
    }
    for (int level = 0; level < perKey; ++level) current[level] = level < 2 ? symbol : NoSymbol;
    XChangeKeyboardMapping(display, key, perKey, current, 1);
    XFree(current);
    return true;
}

} // namespace

std::optional<std::vector<KeyMappingEntry>> XKeyboardMappingStore::currentMapping() {
    const auto connection = x11::X11Display::open(displayName_);
    if (!connection) return std::nullopt;
    Display* display = connection->get();
    const auto key = capsLockKey(display);
    if (!key) return std::nullopt;
    const KeySym symbol = XkbKeycodeToKeysym(display, *key, 0, 0);
    if (symbol == NoSymbol || symbol == XK_Caps_Lock) return std::vector<KeyMappingEntry>{};
    // A symbol without a known usage is still an entry for Caps Lock.
    return std::vector<KeyMappingEntry>{{CapsLockRemapper::capsLockUsage, usageOf(symbol).value_or(0)}};
}

bool XKeyboardMappingStore::writeMapping(const std::vector<KeyMappingEntry>& entries) {
    std::optional<KeySym> wanted;
    for (const auto& entry : entries) {
        if (entry.src != CapsLockRemapper::capsLockUsage) return false;
        wanted = symbolOf(entry.dst);
        if (!wanted) return false;
    }
    const auto connection = x11::X11Display::open(displayName_);
    if (!connection) return false;
    Display* display = connection->get();
    const auto key = capsLockKey(display);
    if (!key) return false;
    const KeySym symbol = wanted.value_or(XK_Caps_Lock);
    const bool done = setSymbol(display, *key, symbol) && setLockModifier(display, *key, symbol == XK_Caps_Lock);
    XSync(display, False);
    return done;
}

} // namespace ostrelvirorez
