#pragma once
// The sheet that edits one snippet: a copy of it in trigger, replacement and
// case fields; "Save" hands the draft back, "Cancel" or closing drops it. The
// sheet never touches the store.

#include "OstrelVirorez/UI/Editors/SnippetsSettingsModel.hpp"

#include <QDialog>

#include <functional>

class QAbstractButton;
class QLineEdit;

namespace ostrelvirorez {

namespace editors {
class FramedTextEditor;
}
class OstrelSwitch;

class SnippetEditSheet final : public QDialog {
public:
    static constexpr int sheetWidth = 480;

    SnippetEditSheet(const Snippet& snippet, std::function<void(const SnippetDraft&)> onSave,
                     std::function<void()> onCancel, QWidget* parent = nullptr);

    const SnippetDraft& draft() const { return draft_; }
    QLineEdit& triggerField() const { return *triggerField_; }
    editors::FramedTextEditor& replacementEditor() const { return *replacementEditor_; }
    OstrelSwitch& caseSwitch() const { return *caseSwitch_; }
    QAbstractButton& saveButton() const { return *saveButton_; }
    QAbstractButton& cancelButton() const { return *cancelButton_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();

    SnippetDraft draft_;
    std::function<void(const SnippetDraft&)> onSave_;
    std::function<void()> onCancel_;
    QLineEdit* triggerField_;
    editors::FramedTextEditor* replacementEditor_;
    OstrelSwitch* caseSwitch_;
    QAbstractButton* saveButton_;
    QAbstractButton* cancelButton_;
};

} // namespace ostrelvirorez
