#pragma once
// One entry of a settings picker: the value it stores and the label it shows.

#include <string>

namespace ostrelvirorez::general {

template <typename Value>
struct SettingChoice {
    Value value;
    std::string label;
};

} // namespace ostrelvirorez::general
