#include "OstrelVirorez/UI/General/LinuxKeyNames.hpp"

#include "OstrelVirorez/Input/HotkeyNames.hpp"

#include <array>
#include <string_view>
#include <utility>

namespace ostrelvirorez::general {

std::string linuxKeyText(std::string text) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 5> words{{
        {"\u2318", "Super"},
        {"\u2325", "Alt"},
        {"\u2303", "Control"},
        {"\u21E7", "Shift"},
        {"fn (Globe)", "Fn"},
    }};
    for (const auto& [symbol, word] : words) {
        for (auto at = text.find(symbol); at != std::string::npos; at = text.find(symbol, at + word.size())) {
            text.replace(at, symbol.size(), word);
        }
    }
    return text;
}

std::string linuxKeyName(std::uint16_t keyCode) { return linuxKeyText(HotkeyNames::name(keyCode)); }

std::string linuxKeyNames(const std::vector<KeyCode>& keyCodes) {
    std::string joined;
    for (const auto code : keyCodes) {
        if (!joined.empty()) joined += " / ";
        joined += linuxKeyName(static_cast<std::uint16_t>(code));
    }
    return joined;
}

} // namespace ostrelvirorez::general
