#pragma once
// A switch row bound to one Boolean setting: its title, its symbol and how
// the setting is read and written.

#include <functional>
#include <string>

namespace ostrelvirorez::general {

struct SettingToggle {
    std::string title;
    std::string symbol;
    std::string key;
    std::function<bool()> isOn;
    std::function<void(bool)> set;
};

} // namespace ostrelvirorez::general
