#include "OstrelVirorez/Input/HotkeyNames.hpp"

#include <sstream>
#include <string_view>
#include <unordered_map>

namespace ostrelvirorez {

std::string HotkeyNames::name(std::uint16_t keyCode) {
    static const std::unordered_map<std::uint16_t, std::string_view> names{
        {54, "Right ⌘"},  {55, "Left ⌘"},  {56, "Left ⇧"},          {57, "Caps Lock"}, {58, "Left ⌥"},
        {59, "Left ⌃"},   {60, "Right ⇧"}, {61, "Right ⌥"},         {62, "Right ⌃"},   {63, "fn (Globe)"},
        {64, "F17"},      {79, "F18"},     {80, "Caps Lock (F19)"}, {90, "F20"},       {96, "F5"},
        {97, "F6"},       {98, "F7"},      {99, "F3"},              {100, "F8"},       {101, "F9"},
        {103, "F11"},     {105, "F13"},    {106, "F16"},            {107, "F14"},      {109, "F10"},
        {111, "F12"},     {113, "F15"},    {118, "F4"},             {120, "F2"},       {122, "F1"},
    };
    if (const auto found = names.find(keyCode); found != names.end()) return std::string(found->second);
    std::ostringstream text;
    text << "Key 0x" << std::uppercase << std::hex << keyCode;
    return text.str();
}

} // namespace ostrelvirorez
