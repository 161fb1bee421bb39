#pragma once
// The settings window's snippets tab: the list with its switches, edit and
// delete buttons, the add form, the placeholder legend, the reset to the
// defaults, and the edit sheet. Draws its SnippetsSettingsModel and forwards
// the user's actions to it.

#include "OstrelVirorez/UI/Editors/EditorWidgets.hpp"
#include "OstrelVirorez/UI/Editors/SnippetEditSheet.hpp"
#include "OstrelVirorez/UI/Editors/SnippetsSettingsModel.hpp"

#include <QPointer>
#include <QWidget>

#include <vector>

class QAbstractButton;
class QLineEdit;

namespace ostrelvirorez {

class OstrelSwitch;
class SnippetService;

class SnippetsSettingsView final : public QWidget {
public:
    SnippetsSettingsView(SnippetService& snippets, QWidget* parent = nullptr);
    ~SnippetsSettingsView() override;

    SnippetsSettingsModel& model() { return model_; }
    QLineEdit& triggerField() const { return *triggerField_; }
    editors::FramedTextEditor& replacementEditor() const { return *replacementEditor_; }
    OstrelSwitch& caseSwitch() const { return *caseSwitch_; }
    QAbstractButton& addButton() const { return *addButton_; }
    QAbstractButton& resetButton() const { return *resetButton_; }
    // The open edit sheet, if any.
    SnippetEditSheet* editSheet() const { return sheet_; }
    const editors::ConfirmationPresenter& confirmation() const { return confirmation_; }

private:
    QWidget* makeFormSection();
    QWidget* makeLegendSection();
    QWidget* makeDefaultsSection();
    void rebuildList();
    void syncSheet();
    void refresh();

    SnippetsSettingsModel model_;
    editors::ConfirmationPresenter confirmation_;
    QWidget* listHost_ = nullptr;
    QWidget* list_ = nullptr;
    QLineEdit* triggerField_ = nullptr;
    editors::FramedTextEditor* replacementEditor_ = nullptr;
    OstrelSwitch* caseSwitch_ = nullptr;
    QAbstractButton* addButton_ = nullptr;
    QAbstractButton* resetButton_ = nullptr;
    QPointer<SnippetEditSheet> sheet_;
    std::vector<Snippet> drawnSnippets_;
    bool listDrawn_ = false;
    platform::Connection modelConnection_;
};

} // namespace ostrelvirorez
