#pragma once
// The feedback screenshot: a widget (the settings window) rendered at its
// full size and encoded as PNG, and the user's login name sent beside it.

#include <QWidget>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ostrelvirorez {

// Nothing when there is no window, it has no area, or encoding fails.
std::optional<std::vector<std::uint8_t>> captureWindowPNG(QWidget* window);

// The short login name of the user running the program; empty when unknown.
std::string loginUserName();

} // namespace ostrelvirorez
