#pragma once
// The settings window's own state, none of it stored: the selected tab, the
// collapsed sidebar, the open status panel and the two sheet flags; and the
// shell colours derived from the appearance settings, which it only reads.
// Every change is announced through changed(). Main thread only.

#include "OstrelDesignKit/Appearance/OstrelAppearancePreset.hpp"
#include "OstrelVirorez/UI/Settings/SettingsTab.hpp"
#include "OstrelVirorez/UI/SettingsSheet.hpp"
#include "Platform/Core/Signal.hpp"

#include <QString>

#include <optional>

namespace ostrelvirorez {

class AppSettings;

class SettingsViewModel {
public:
    static constexpr double minSidebarWidth = 180;
    static constexpr double idealSidebarWidth = 220;
    static constexpr double maxSidebarWidth = 320;

    explicit SettingsViewModel(const AppSettings& settings);

    SettingsTab selectedTab() const { return selectedTab_; }
    // False, changing nothing, when `tab` is already selected.
    bool select(SettingsTab tab);

    bool isSidebarCollapsed() const { return isSidebarCollapsed_; }
    void toggleSidebar();
    // The sidebar button's tooltip.
    QString sidebarToggleHelp() const;

    bool isStatusPanelOpen() const { return isStatusPanelOpen_; }
    void toggleStatusPanel();
    void closeStatusPanel();

    // A sheet notification: false when that sheet is already shown. One sheet
    // is shown at a time; a newer one takes the place of the older.
    bool requestSheet(SettingsSheet sheet);
    // The sheet closed itself; nothing else runs.
    void sheetDismissed(SettingsSheet sheet);
    std::optional<SettingsSheet> shownSheet() const { return shownSheet_; }

    // Base, sidebar card and their opacities, from the appearance settings.
    ostreldesignkit::ShellColors shellColors() const;

    platform::Signal<>& changed() { return changed_; }

private:
    const AppSettings& settings_;
    SettingsTab selectedTab_ = SettingsTab::general;
    bool isSidebarCollapsed_ = false;
    bool isStatusPanelOpen_ = false;
    std::optional<SettingsSheet> shownSheet_;
    platform::Signal<> changed_;
};

} // namespace ostrelvirorez
