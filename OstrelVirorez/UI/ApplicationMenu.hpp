#pragma once
// Fills a window's menu bar with the application menu: About, the settings
// command (which asks for the settings window by notification, so every way
// to the settings leads to the one window) and quit.

#include <functional>

class QMainWindow;

namespace ostrelvirorez {

class NotificationCenter;

void installApplicationMenu(QMainWindow& window, NotificationCenter& notifications,
                            std::function<void()> quitApplication);

} // namespace ostrelvirorez
