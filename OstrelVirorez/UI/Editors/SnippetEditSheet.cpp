#include "OstrelVirorez/UI/Editors/SnippetEditSheet.hpp"

#include "OstrelDesignKit/Glass/OstrelButton.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/UI/Editors/EditorWidgets.hpp"
#include "OstrelVirorez/UI/SettingsRows/SettingsRows.hpp"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>

namespace ostrelvirorez {

using namespace editors;

using ostreldesignkit::Color;
using ostreldesignkit::OstrelFontWeight;

SnippetEditSheet::SnippetEditSheet(const Snippet& snippet, std::function<void(const SnippetDraft&)> onSave,
                                   std::function<void()> onCancel, QWidget* parent)
    : QDialog(parent), draft_{snippet}, onSave_(std::move(onSave)), onCancel_(std::move(onCancel)) {
    setWindowModality(Qt::WindowModal);
    setFixedWidth(sheetWidth);
    // Dark whatever the window's appearance.
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Color::ostrelSurface());
    palette.setColor(QPalette::WindowText, Color::primary());
    palette.setColor(QPalette::Text, Color::primary());
    palette.setColor(QPalette::ButtonText, Color::primary());
    palette.setColor(QPalette::Base, Color::ostrelBase());
    setPalette(palette);

    auto* column = new QVBoxLayout(this); // owned by the sheet
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(8);
    column->addWidget(makeText(QStringLiteral("Edit Snippet"), 16, OstrelFontWeight::demiBold, Color::primary(), this));

    const auto trigger = makeLabelledField(QStringLiteral("Trigger"), QStringLiteral("Trigger"), this);
    triggerField_ = trigger.field;
    triggerField_->setText(qtText(draft_.snippet.trigger));
    QObject::connect(triggerField_, &QLineEdit::textChanged, this, [this](const QString& text) {
        draft_.snippet.trigger = stdText(text);
        refresh();
    });
    column->addWidget(trigger.block);

    auto* replacementBlock = new QWidget(this);
    auto* replacementColumn = new QVBoxLayout(replacementBlock); // owned by the block
    replacementColumn->setContentsMargins(0, 0, 0, 0);
    replacementColumn->setSpacing(4);
    replacementColumn->addWidget(makeText(QStringLiteral("Replacement"), 11, OstrelFontWeight::medium,
                                          Color::ostrelTextSecondary(), replacementBlock));
    replacementEditor_ = new FramedTextEditor(13, 8, 120, replacementBlock);
    replacementEditor_->showText(qtText(draft_.snippet.replacement));
    QObject::connect(&replacementEditor_->editor(), &QPlainTextEdit::textChanged, this, [this] {
        draft_.snippet.replacement = stdText(replacementEditor_->editor().toPlainText());
    });
    replacementColumn->addWidget(replacementEditor_);
    column->addWidget(replacementBlock);

    auto* caseRow = new OstrelToggleRow(QStringLiteral("Case-sensitive trigger"), std::nullopt,
                                        draft_.snippet.caseSensitive, this);
    caseSwitch_ = &caseRow->toggle();
    QObject::connect(caseSwitch_, &QAbstractButton::toggled, this,
                     [this](bool on) { draft_.snippet.caseSensitive = on; });
    column->addWidget(caseRow);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    cancelButton_ = new ostreldesignkit::OstrelButton(QStringLiteral("Cancel"), this);
    saveButton_ = new ostreldesignkit::OstrelButton(QStringLiteral("Save"), this);
    QObject::connect(cancelButton_, &QAbstractButton::clicked, this, [this] { reject(); });
    QObject::connect(saveButton_, &QAbstractButton::clicked, this, [this] {
        if (draft_.canSave() && onSave_) onSave_(draft_);
    });
    // Escape and the window's close button dismiss like "Cancel".
    QObject::connect(this, &QDialog::rejected, this, [this] {
        if (onCancel_) onCancel_();
    });
    buttons->addWidget(cancelButton_);
    buttons->addWidget(saveButton_);
    column->addLayout(buttons);
    refresh();
}

void SnippetEditSheet::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
}

void SnippetEditSheet::refresh() { saveButton_->setEnabled(draft_.canSave()); }

} // namespace ostrelvirorez
