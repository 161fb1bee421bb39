#pragma once
// Builds the view of one settings tab with the shared objects it needs. A
// fresh view is made each time a tab becomes selected.

#include "OstrelVirorez/UI/Settings/SettingsEnvironment.hpp"
#include "OstrelVirorez/UI/Settings/SettingsTab.hpp"

#include <memory>

class QWidget;

namespace ostrelvirorez {

std::unique_ptr<QWidget> makeSettingsTabView(SettingsTab tab, const SettingsEnvironment& environment,
                                             QWidget* parent = nullptr);

} // namespace ostrelvirorez
