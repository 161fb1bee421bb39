#pragma once
// The settings window's root view: on the kit's split shell, a sidebar of the
// seven tabs and the selected tab's view; over it the kit's window buttons
// with the sidebar button at the top left and the status panel's button at
// the top right; the "Status" panel beside the tab while open (the view
// widens by the panel's column, so the tab keeps its width). While it
// exists it answers the two sheet notifications by presenting the feedback or
// the onboarding sheet over its window (one sheet at a time, the newer one
// replacing the older). Everything is drawn dark, whatever the desktop's
// scheme. Main thread only.

#include "OstrelVirorez/UI/Settings/SettingsEnvironment.hpp"
#include "OstrelVirorez/UI/Settings/SettingsStatusModel.hpp"
#include "OstrelVirorez/UI/Settings/SettingsViewModel.hpp"
#include "OstrelVirorez/UI/SettingsSheet.hpp"
#include "Platform/Core/Signal.hpp"

#include <QDialog>
#include <QPointer>
#include <QWidget>

#include <optional>
#include <vector>

class QAbstractButton;
class QHBoxLayout;
class QVBoxLayout;

namespace ostreldesignkit {
class OstrelPanelToggleButton;
class OstrelSplitShell;
class OstrelTrafficLights;
} // namespace ostreldesignkit

namespace ostrelvirorez {

class HoverTooltip;
class SettingsSidebarRow;

class SettingsView final : public QWidget {
public:
    static constexpr QSize fixedSize{700, 760};
    static constexpr int statusPanelWidth = 320;
    // Room above the tab for the window buttons while the sidebar is collapsed.
    static constexpr int collapsedTabTopInset = 40;

    explicit SettingsView(const SettingsEnvironment& environment, QWidget* parent = nullptr);
    ~SettingsView() override;

    SettingsViewModel& model() { return model_; }
    const SettingsStatusModel& statusModel() const { return statusModel_; }

    // A sheet already shown stays as it is. A window that is hidden comes
    // forward, so the sheet is seen at once.
    void presentSheet(SettingsSheet sheet);
    // The sheet on screen, if any.
    std::optional<SettingsSheet> presentedSheet() const;
    QDialog* sheetDialog() const { return sheetDialog_.data(); }

    ostreldesignkit::OstrelSplitShell& shell() const { return *shell_; }
    const std::vector<SettingsSidebarRow*>& sidebarRows() const { return rows_; }
    // The selected tab's view.
    QWidget* tabView() const { return tabView_; }
    QAbstractButton& sidebarToggleButton() const { return *sidebarToggle_; }
    HoverTooltip& sidebarToggleTooltip() const { return *sidebarTooltip_; }
    ostreldesignkit::OstrelPanelToggleButton& statusToggleButton() const { return *statusToggle_; }
    ostreldesignkit::OstrelTrafficLights& trafficLights() const { return *trafficLights_; }
    // The open "Status" panel; absent while it is closed.
    QWidget* statusPanel() const { return statusPanel_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* makeSidebar();
    QWidget* makeContent();
    void makeOverlays();
    void placeOverlays();
    void showTab();
    void applyState();
    void openStatusPanel(bool open);

    SettingsEnvironment environment_;
    SettingsViewModel model_;
    SettingsStatusModel statusModel_;
    ostreldesignkit::OstrelSplitShell* shell_ = nullptr;
    std::vector<SettingsSidebarRow*> rows_;
    QVBoxLayout* tabHost_ = nullptr;
    QWidget* tabView_ = nullptr;
    SettingsTab shownTab_ = SettingsTab::general;
    QHBoxLayout* contentRow_ = nullptr;
    QWidget* statusPanel_ = nullptr;
    QWidget* leadingOverlay_ = nullptr;
    ostreldesignkit::OstrelTrafficLights* trafficLights_ = nullptr;
    QAbstractButton* sidebarToggle_ = nullptr;
    HoverTooltip* sidebarTooltip_ = nullptr;
    ostreldesignkit::OstrelPanelToggleButton* statusToggle_ = nullptr;
    QPointer<QDialog> sheetDialog_;
    platform::Connection modelChanged_;
    platform::Connection settingsChanged_;
    platform::Connection feedbackObserver_;
    platform::Connection onboardingObserver_;
};

} // namespace ostrelvirorez
