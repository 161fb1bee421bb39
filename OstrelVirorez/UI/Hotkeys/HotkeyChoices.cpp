#include "OstrelVirorez/UI/Hotkeys/HotkeyChoices.hpp"

namespace ostrelvirorez {

const std::vector<HotkeyChoice>& allowedHotkeys() {
    static const std::vector<HotkeyChoice> choices{
        {122, QStringLiteral("F1")},
        {120, QStringLiteral("F2")},
        {99, QStringLiteral("F3")},
        {118, QStringLiteral("F4")},
        {96, QStringLiteral("F5")},
        {97, QStringLiteral("F6")},
        {98, QStringLiteral("F7")},
        {100, QStringLiteral("F8")},
        {101, QStringLiteral("F9")},
        {109, QStringLiteral("F10")},
        {103, QStringLiteral("F11")},
        {111, QStringLiteral("F12")},
        {105, QStringLiteral("F13")},
        {107, QStringLiteral("F14")},
        {113, QStringLiteral("F15")},
        {106, QStringLiteral("F16")},
        {64, QStringLiteral("F17")},
        {79, QStringLiteral("F18")},
        {90, QStringLiteral("F20")},
        // F19's code: choosing Caps Lock stores it, and the key is mapped onto F19.
        {80, QStringLiteral("Caps Lock (remappt auf F19, Original-Funktion aus solange App läuft)")},
        {54, QStringLiteral("Right Super")},
        {61, QStringLiteral("Right Alt")},
        {60, QStringLiteral("Right Shift")},
        {62, QStringLiteral("Right Control")},
        {63, QStringLiteral("Fn")},
    };
    return choices;
}

std::optional<std::size_t> hotkeyChoiceIndex(KeyCode code) {
    const auto& choices = allowedHotkeys();
    for (std::size_t index = 0; index < choices.size(); ++index)
        if (choices[index].code == code) return index;
    return std::nullopt;
}

} // namespace ostrelvirorez
