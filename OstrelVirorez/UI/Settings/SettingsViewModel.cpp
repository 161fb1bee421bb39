#include "OstrelVirorez/UI/Settings/SettingsViewModel.hpp"

#include "OstrelVirorez/Model/AppSettings.hpp"

namespace ostrelvirorez {

SettingsViewModel::SettingsViewModel(const AppSettings& settings) : settings_(settings) {}

bool SettingsViewModel::select(SettingsTab tab) {
    if (tab == selectedTab_) return false;
    selectedTab_ = tab;
    changed_.emit();
    return true;
}

void SettingsViewModel::toggleSidebar() {
    isSidebarCollapsed_ = !isSidebarCollapsed_;
    changed_.emit();
}

QString SettingsViewModel::sidebarToggleHelp() const {
    return isSidebarCollapsed_ ? QStringLiteral("Sidebar einblenden") : QStringLiteral("Sidebar ausblenden");
}

void SettingsViewModel::toggleStatusPanel() {
    isStatusPanelOpen_ = !isStatusPanelOpen_;
    changed_.emit();
}

void SettingsViewModel::closeStatusPanel() {
    if (!isStatusPanelOpen_) return;
    isStatusPanelOpen_ = false;
    changed_.emit();
}

bool SettingsViewModel::requestSheet(SettingsSheet sheet) {
    if (shownSheet_ == sheet) return false;
    shownSheet_ = sheet;
    changed_.emit();
    return true;
}

void SettingsViewModel::sheetDismissed(SettingsSheet sheet) {
    if (shownSheet_ != sheet) return;
    shownSheet_.reset();
    changed_.emit();
}

ostreldesignkit::ShellColors SettingsViewModel::shellColors() const {
    return ostreldesignkit::shellColors(settings_.ostrelBaseColorHex(), settings_.ostrelSidebarColorHex(),
                                        settings_.windowGlassDarkness(), settings_.ostrelSidebarDarknessDelta());
}

} // namespace ostrelvirorez
