#pragma once
// The 25 keys a hold-to-talk list may hold, in picker order, each under the
// name the picker shows (keys by their Linux names). The order is also the
// order in which the add button picks a key. Codes are the stored key codes.

#include "OstrelVirorez/Model/HotkeyCodeList.hpp"

#include <QString>

#include <optional>
#include <vector>

namespace ostrelvirorez {

struct HotkeyChoice {
    KeyCode code;
    QString name;
};

const std::vector<HotkeyChoice>& allowedHotkeys();

// The position of `code` among the allowed keys; none for any other code.
std::optional<std::size_t> hotkeyChoiceIndex(KeyCode code);

} // namespace ostrelvirorez
