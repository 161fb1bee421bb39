#include "OstrelVirorez/UI/WindowMainMenuHost.hpp"

#include <QMenuBar>

#include <utility>

namespace ostrelvirorez {

WindowMainMenuHost::WindowMainMenuHost(std::function<QMenuBar*()> currentMenuBar)
    : currentMenuBar_(std::move(currentMenuBar)) {}

QMenuBar* WindowMainMenuHost::mainMenu() const {
    return currentMenuBar_ ? currentMenuBar_() : nullptr;
}

} // namespace ostrelvirorez
