#include "OstrelVirorez/UI/Editors/DictionarySettingsView.hpp"

#include "OstrelDesignKit/Glass/OstrelButton.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/UI/Editors/CorrectionRow.hpp"
#include "OstrelVirorez/UI/SettingsRows/SettingsRows.hpp"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>

namespace ostrelvirorez {

using namespace editors;

using ostreldesignkit::Color;
using ostreldesignkit::OstrelFontWeight;

namespace {

const char* const introCaption =
    "These corrections are applied locally to every transcription before Claude sees the text. Useful for fixing "
    "CamelCase framework names, technical terms, or recurring engine mistakes.";
const char* const learningCaption =
    "After each dictation, watches the focused text field for about 18 seconds. If you manually fix exactly one "
    "word, it's learned automatically and shown below as \"Auto-Learned\" \u2014 no confirmation needed. Only works "
    "in apps that expose their text via Accessibility (most native apps; some web/Electron apps may not). "
    "Multi-word edits, punctuation-only changes, and inserted/deleted words are never learned.";

// The search field's dark rounded box.
class SearchBox final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Color::withOpacity(Qt::black, 0.2));
        painter.drawRoundedRect(QRectF(rect()), 8, 8);
    }
};

QLabel* spaced(QLabel* label, int above, int below) {
    label->setContentsMargins(0, above, 0, below);
    return label;
}

} // namespace

DictionarySettingsView::DictionarySettingsView(DictionaryService& dictionary, AppSettings& settings, QWidget* parent)
    : DictionarySettingsView(dictionary, settings, AppAssignmentSource::desktop(), parent) {}

DictionarySettingsView::DictionarySettingsView(DictionaryService& dictionary, AppSettings& settings,
                                               AppAssignmentSource apps, QWidget* parent)
    : QWidget(parent), model_(dictionary, settings, std::move(apps)),
      confirmation_(*this, [this](bool confirmed) { model_.answerConfirmation(confirmed); }) {
    const auto column = makeTabColumn(this);
    column.layout->addWidget(makeIntroSection());
    listsHost_ = new QWidget(this);
    auto* hostLayout = new QVBoxLayout(listsHost_); // owned by the host
    hostLayout->setContentsMargins(0, 0, 0, 0);
    column.layout->addWidget(listsHost_);
    column.layout->addWidget(makeFormSection());
    column.layout->addWidget(makeDefaultsSection());
    modelConnection_ = model_.changed().connect([this] { refresh(); });
    refresh();
}

DictionarySettingsView::~DictionarySettingsView() { modelConnection_.disconnect(); }

QWidget* DictionarySettingsView::makeIntroSection() {
    auto* section = new OstrelSection(QStringLiteral("Auto-Corrections"), this);
    section->addContent(spaced(makeCaption(QString::fromUtf8(introCaption), nullptr), 0, 4));
    auto* toggle = new OstrelToggleRow(QStringLiteral("Learn Corrections Automatically"), std::string("brain.head.profile"),
                                       model_.correctionLearningEnabled());
    learningSwitch_ = &toggle->toggle();
    QObject::connect(learningSwitch_, &QAbstractButton::toggled, this,
                     [this](bool on) { model_.setCorrectionLearningEnabled(on); });
    section->addContent(toggle);
    section->addContent(spaced(makeCaption(QString::fromUtf8(learningCaption), nullptr), 0, 4));

    auto* box = new SearchBox;
    auto* row = new QHBoxLayout(box); // owned by the box
    row->setContentsMargins(10, 10, 10, 10);
    row->setSpacing(8);
    row->addWidget(makeSymbol("magnifyingglass", 14, Color::ostrelTextSecondary(), box));
    searchField_ = new QLineEdit(box);
    searchField_->setPlaceholderText(QStringLiteral("Search corrections"));
    searchField_->setFont(ostreldesignkit::ostrelFont(15, OstrelFontWeight::regular));
    searchField_->setFrame(false);
    searchField_->setAttribute(Qt::WA_MacShowFocusRect, false);
    QPalette palette = searchField_->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    searchField_->setPalette(palette);
    QObject::connect(searchField_, &QLineEdit::textChanged, this,
                     [this](const QString& text) { model_.setSearchText(stdText(text)); });
    row->addWidget(searchField_);
    section->addContent(box);
    return section;
}

QWidget* DictionarySettingsView::makeFormSection() {
    auto* section = new OstrelSection(QStringLiteral("Add Correction"), this);
    auto* form = new QWidget;
    auto* column = new QVBoxLayout(form); // owned by the form
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    const auto source = makeLabelledField(QStringLiteral("Source (what engine transcribes)"),
                                          QStringLiteral("AV Audio Engine"), form);
    const auto replacement = makeLabelledField(QStringLiteral("Replacement"), QStringLiteral("AVAudioEngine"), form);
    sourceField_ = source.field;
    replacementField_ = replacement.field;
    QObject::connect(sourceField_, &QLineEdit::textChanged, this,
                     [this](const QString& text) { model_.setNewSource(stdText(text)); });
    QObject::connect(replacementField_, &QLineEdit::textChanged, this,
                     [this](const QString& text) { model_.setNewReplacement(stdText(text)); });
    column->addWidget(source.block);
    column->addWidget(replacement.block);
    auto* caseRow = new OstrelToggleRow(QStringLiteral("Case-sensitive match"), std::nullopt, false, form);
    caseSwitch_ = &caseRow->toggle();
    QObject::connect(caseSwitch_, &QAbstractButton::toggled, this, [this](bool on) { model_.setNewCaseSensitive(on); });
    column->addWidget(caseRow);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    addButton_ = new ostreldesignkit::OstrelButton(QStringLiteral("Add"), form);
    QObject::connect(addButton_, &QAbstractButton::clicked, this, [this] { model_.addCorrection(); });
    buttons->addWidget(addButton_);
    column->addLayout(buttons);
    section->addContent(form);
    return section;
}

QWidget* DictionarySettingsView::makeDefaultsSection() {
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

QWidget* DictionarySettingsView::makeListSection(const QString& title, const std::vector<DictionaryCorrection>& list,
                                                 bool learned) {
    auto* section = new OstrelSection(title);
    section->setObjectName(learned ? "autoLearnedSection" : "manualSection");
    if (list.empty()) {
        auto* caption = makeCaption(qtText(model_.emptyManualCaption()), nullptr);
        caption->setObjectName("emptyCaption");
        section->addContent(spaced(caption, 8, 8));
        return section;
    }
    for (const auto& correction : list) {
        section->addContent(new CorrectionRow(correction, model_));
        if (correction.id != list.back().id) section->addContent(new OstrelAppDivider);
    }
    if (learned) {
        auto* line = new QWidget;
        auto* row = new QHBoxLayout(line); // owned by the line
        row->setContentsMargins(0, 4, 0, 0);
        row->addStretch(1);
        removeAutoLearnedButton_ = new OstrelDestructiveButton(QStringLiteral("Remove All Auto-Learned"), line);
        QObject::connect(removeAutoLearnedButton_, &QAbstractButton::clicked, this,
                         [this] { model_.requestRemoveAutoLearned(); });
        row->addWidget(removeAutoLearnedButton_);
        section->addContent(line);
    }
    return section;
}

void DictionarySettingsView::rebuildLists() {
    retire(lists_);
    removeAutoLearnedButton_ = nullptr;
    lists_ = new QWidget(listsHost_);
    auto* layout = new QVBoxLayout(lists_); // owned by the lists
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(16);
    layout->addWidget(makeListSection(qtText(model_.manualTitle()), model_.manualCorrections(), false));
    if (const auto title = model_.autoLearnedTitle())
        layout->addWidget(makeListSection(qtText(*title), model_.autoLearned(), true));
    listsHost_->layout()->addWidget(lists_);
}

void DictionarySettingsView::refresh() {
    const QSignalBlocker blockLearning(learningSwitch_);
    learningSwitch_->setChecked(model_.correctionLearningEnabled());
    showText(*sourceField_, model_.newSource());
    showText(*replacementField_, model_.newReplacement());
    const QSignalBlocker blockCase(caseSwitch_);
    caseSwitch_->setChecked(model_.newCaseSensitive());
    addButton_->setEnabled(model_.canAdd());

    auto filtered = model_.filtered();
    if (!listsDrawn_ || filtered != drawnFiltered_ || model_.searchText() != drawnSearch_) {
        drawnFiltered_ = std::move(filtered);
        drawnSearch_ = model_.searchText();
        listsDrawn_ = true;
        rebuildLists();
    }
    confirmation_.sync(model_.confirmation());
}

} // namespace ostrelvirorez
