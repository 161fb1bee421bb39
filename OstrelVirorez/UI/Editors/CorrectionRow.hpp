#pragma once
// One row of the dictionary tab's lists: the source, the arrow and the
// replacement with the case and learned badges and a delete button, and below
// them the assigned applications ("Global" when none) with the menu that
// assigns a running one. Actions go through the tab's view-model.

#include "OstrelVirorez/Model/DictionaryCorrection.hpp"
#include "OstrelVirorez/UI/Editors/EditorWidgets.hpp"

class QMenu;
class QToolButton;

namespace ostrelvirorez {

class DictionarySettingsModel;

class CorrectionRow final : public editors::HoverRow {
public:
    CorrectionRow(DictionaryCorrection correction, DictionarySettingsModel& model, QWidget* parent = nullptr);

    const DictionaryCorrection& correction() const { return correction_; }
    QToolButton& deleteButton() const { return *deleteButton_; }
    QMenu& addAppMenu() const { return *addAppMenu_; }
    // Fills the menu with the running applications not yet assigned; runs
    // each time the menu opens.
    void refreshAddAppMenu();

private:
    QWidget* makeMainLine();
    QWidget* makeAssignedAppsRow();
    QWidget* makeAppChip(const AppInfo& app, QWidget* parent);

    DictionaryCorrection correction_;
    DictionarySettingsModel& model_;
    QToolButton* deleteButton_ = nullptr; // owned by the row
    QMenu* addAppMenu_ = nullptr;         // owned by the row
};

} // namespace ostrelvirorez
