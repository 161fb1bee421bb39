#include "OstrelVirorez/UI/Editors/SnippetsSettingsView.hpp"

#include "OstrelDesignKit/Glass/OstrelButton.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/UI/Editors/SnippetRow.hpp"
#include "OstrelVirorez/UI/SettingsRows/SettingsRows.hpp"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include <utility>

namespace ostrelvirorez {

using namespace editors;

using ostreldesignkit::Color;
using ostreldesignkit::OstrelFontWeight;

SnippetsSettingsView::SnippetsSettingsView(SnippetService& snippets, QWidget* parent)
    : QWidget(parent), model_(snippets),
      confirmation_(*this, [this](bool confirmed) { model_.answerConfirmation(confirmed); }) {
    const auto column = makeTabColumn(this);
    auto* intro = new OstrelSection(QStringLiteral("Snippets"), this);
    intro->addContent(makeCaption(QStringLiteral("Speak a trigger phrase and the snippet expands automatically. "
                                                 "Placeholders like {{DATE}} and {{TIME}} are resolved when the "
                                                 "snippet fires."),
                                  nullptr));
    column.layout->addWidget(intro);
    listHost_ = new QWidget(this);
    auto* hostLayout = new QVBoxLayout(listHost_); // owned by the host
    hostLayout->setContentsMargins(0, 0, 0, 0);
    column.layout->addWidget(listHost_);
    column.layout->addWidget(makeFormSection());
    column.layout->addWidget(makeLegendSection());
    column.layout->addWidget(makeDefaultsSection());
    modelConnection_ = model_.changed().connect([this] { refresh(); });
    refresh();
}

SnippetsSettingsView::~SnippetsSettingsView() {
    modelConnection_.disconnect();
    delete sheet_.data(); // while the model its actions reach still lives
}

QWidget* SnippetsSettingsView::makeFormSection() {
    auto* section = new OstrelSection(QStringLiteral("Add Snippet"), this);
    auto* form = new QWidget;
    auto* column = new QVBoxLayout(form); // owned by the form
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    const auto trigger = makeLabelledField(QStringLiteral("Trigger (what you say)"), QStringLiteral("best regards"), form);
    triggerField_ = trigger.field;
    QObject::connect(triggerField_, &QLineEdit::textChanged, this,
                     [this](const QString& text) { model_.setNewTrigger(stdText(text)); });
    column->addWidget(trigger.block);

    auto* replacement = new QWidget(form);
    auto* replacementColumn = new QVBoxLayout(replacement); // owned by the block
    replacementColumn->setContentsMargins(0, 0, 0, 0);
    replacementColumn->setSpacing(4);
    replacementColumn->addWidget(makeText(QStringLiteral("Replacement (multi-line, supports placeholders)"), 11,
                                          OstrelFontWeight::medium, Color::ostrelTextSecondary(), replacement));
    replacementEditor_ = new FramedTextEditor(13, 8, 80, replacement);
    QObject::connect(&replacementEditor_->editor(), &QPlainTextEdit::textChanged, this, [this] {
        model_.setNewReplacement(stdText(replacementEditor_->editor().toPlainText()));
    });
    replacementColumn->addWidget(replacementEditor_);
    column->addWidget(replacement);

    auto* caseRow = new OstrelToggleRow(QStringLiteral("Case-sensitive trigger"), std::nullopt, false, form);
    caseSwitch_ = &caseRow->toggle();
    QObject::connect(caseSwitch_, &QAbstractButton::toggled, this, [this](bool on) { model_.setNewCaseSensitive(on); });
    column->addWidget(caseRow);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    addButton_ = new ostreldesignkit::OstrelButton(QStringLiteral("Add"), form);
    QObject::connect(addButton_, &QAbstractButton::clicked, this, [this] { model_.addSnippet(); });
    buttons->addWidget(addButton_);
    column->addLayout(buttons);
    section->addContent(form);
    return section;
}

QWidget* SnippetsSettingsView::makeLegendSection() {
    auto* section = new OstrelSection(QStringLiteral("Placeholders"), this);
    auto* legend = new QWidget;
    legend->setObjectName("placeholderLegend");
    auto* column = new QVBoxLayout(legend); // owned by the legend
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    for (const auto& entry : SnippetsSettingsModel::placeholderLegend()) {
        auto* row = new QHBoxLayout;
        row->setSpacing(12);
        auto* token = makeText(qtText(entry.token), 12, OstrelFontWeight::demiBold, Color::cyanElectric(), legend);
        token->setFixedWidth(130);
        row->addWidget(token);
        row->addWidget(makeCaption(qtText(entry.description), legend), 1);
        column->addLayout(row);
    }
    section->addContent(legend);
    return section;
}

QWidget* SnippetsSettingsView::makeDefaultsSection() {
    auto* section = new OstrelSection(QStringLiteral("Defaults"), this);
    auto* line = new QWidget;
    auto* row = new QHBoxLayout(line); // owned by the line
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(makeCaption(QStringLiteral("Reset to built-in defaults"), line), 1);
    resetButton_ = new OstrelDestructiveButton(QStringLiteral("Reset"), line);
    QObject::connect(resetButton_, &QAbstractButton::clicked, this, [this] { model_.requestReset(); });
    row->addWidget(resetButton_);
    section->addContent(line);
    return section;
}

void SnippetsSettingsView::rebuildList() {
    retire(list_);
    const auto& snippets = model_.snippets();
    auto* section = new OstrelSection(qtText(model_.listTitle()), listHost_);
    section->setObjectName("snippetList");
    list_ = section;
    if (snippets.empty()) {
        auto* caption = makeCaption(QStringLiteral("No snippets yet."), nullptr);
        caption->setObjectName("emptyCaption");
        caption->setContentsMargins(0, 8, 0, 8);
        section->addContent(caption);
    }
    for (const auto& snippet : snippets) {
        section->addContent(new SnippetRow(snippet, model_));
        if (snippet.id != snippets.back().id) section->addContent(new OstrelAppDivider);
    }
    listHost_->layout()->addWidget(section);
}

void SnippetsSettingsView::syncSheet() {
    const auto& editing = model_.editingSnippet();
    if (!editing) {
        if (sheet_) retire(std::exchange(sheet_, nullptr));
        return;
    }
    if (sheet_) return;
    sheet_ = new SnippetEditSheet(
        *editing, [this](const SnippetDraft& draft) { model_.saveEditing(draft); },
        [this] { model_.cancelEditing(); }, this);
    sheet_->open();
}

void SnippetsSettingsView::refresh() {
    if (!listDrawn_ || model_.snippets() != drawnSnippets_) {
        drawnSnippets_ = model_.snippets();
        listDrawn_ = true;
        rebuildList();
    }
    showText(*triggerField_, model_.newTrigger());
    replacementEditor_->showText(qtText(model_.newReplacement()));
    {
        const QSignalBlocker block(caseSwitch_);
        caseSwitch_->setChecked(model_.newCaseSensitive());
    }
    addButton_->setEnabled(model_.canAdd());
    syncSheet();
    confirmation_.sync(model_.confirmation());
}

} // namespace ostrelvirorez
