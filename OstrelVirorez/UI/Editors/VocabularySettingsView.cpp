#include "OstrelVirorez/UI/Editors/VocabularySettingsView.hpp"

#include "OstrelDesignKit/Glass/GlassFrame.hpp"
#include "OstrelDesignKit/Glass/OstrelButton.hpp"
#include "OstrelDesignKit/Status/StatusWidgets.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/App/AppState.hpp"
#include "OstrelVirorez/UI/SettingsRows/SettingsRows.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace ostrelvirorez {

using namespace editors;

using ostreldesignkit::Color;
using ostreldesignkit::OstrelFontWeight;

namespace {

const char* const previewNote =
    "Zeigt nach jedem Diktat den erkannten Text hier an, damit ein falsch verstandenes Wort direkt unten bei \"Add "
    "New Term\" korrigiert werden kann. Kein automatisches, unsichtbares Lernen \u2014 OstrelVirorez sieht sp\u00E4tere "
    "manuelle Korrekturen in der Zielapp nicht.";

} // namespace

VocabularySettingsView::VocabularySettingsView(AppSettings& settings, AppState& appState, QWidget* parent)
    : VocabularySettingsView(settings, appState.lastTranscript, parent) {}

VocabularySettingsView::VocabularySettingsView(AppSettings& settings, Published<std::string>& lastTranscript,
                                               QWidget* parent)
    : QWidget(parent), model_(settings, lastTranscript) {
    const auto column = makeTabColumn(this);
    column.layout->addWidget(makeAutoVocabularySection());
    column.layout->addWidget(makeVocabularySection());
    column.layout->addWidget(makeAddSection());
    modelConnection_ = model_.changed().connect([this] { refresh(); });
    refresh();
}

VocabularySettingsView::~VocabularySettingsView() { modelConnection_.disconnect(); }

QWidget* VocabularySettingsView::makeAutoVocabularySection() {
    auto* part = new QWidget(this);
    auto* column = new QVBoxLayout(part); // owned by the part
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);

    auto* section = new OstrelSection(QStringLiteral("Auto-Vokabular"), part);
    auto* toggle = new OstrelToggleRow(QStringLiteral("Letztes Diktat anzeigen"), std::string("text.badge.checkmark"),
                                       model_.autoVocabularyLearningEnabled());
    previewSwitch_ = &toggle->toggle();
    QObject::connect(previewSwitch_, &QAbstractButton::toggled, this,
                     [this](bool on) { model_.setAutoVocabularyLearningEnabled(on); });
    section->addContent(toggle);
    previewDivider_ = new OstrelAppDivider;
    section->addContent(previewDivider_);

    preview_ = new QWidget;
    preview_->setObjectName("lastDictationPreview");
    auto* previewColumn = new QVBoxLayout(preview_); // owned by the preview
    previewColumn->setContentsMargins(0, 4, 0, 0);
    previewColumn->setSpacing(6);
    previewColumn->addWidget(new ostreldesignkit::OstrelSectionHeader(QStringLiteral("LETZTES DIKTAT"), preview_));
    auto* glass = new ostreldesignkit::GlassFrame(ostreldesignkit::GlassBackground::compact(8, 0.3), preview_);
    auto* glassLayout = new QVBoxLayout(glass); // owned by the glass
    glassLayout->setContentsMargins(10, 10, 10, 10);
    previewText_ = makeText(QString(), 12, OstrelFontWeight::regular, Color::ostrelTextSecondary(), glass);
    previewText_->setWordWrap(true);
    previewText_->setAlignment(Qt::AlignLeading | Qt::AlignTop);
    previewText_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    glassLayout->addWidget(previewText_);
    previewColumn->addWidget(glass);
    section->addContent(preview_);
    column->addWidget(section);

    auto* note = makeText(QString::fromUtf8(previewNote), 10, OstrelFontWeight::regular, Color::ostrelTextTertiary(), part);
    note->setWordWrap(true);
    note->setContentsMargins(4, 0, 0, 0);
    column->addWidget(note);
    return part;
}

QWidget* VocabularySettingsView::makeVocabularySection() {
    auto* section = new OstrelSection(QStringLiteral("Custom Vocabulary"), this);
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content); // owned by the content
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    column->addWidget(
        makeCaption(QStringLiteral("These terms are provided to Claude as correction context during rewriting."), content));
    vocabularyEditor_ = new FramedTextEditor(13, 10, 280, content);
    QObject::connect(&vocabularyEditor_->editor(), &QPlainTextEdit::textChanged, this, [this] {
        model_.setCustomVocabularyRaw(stdText(vocabularyEditor_->editor().toPlainText()));
    });
    column->addWidget(vocabularyEditor_);
    section->addContent(content);
    return section;
}

QWidget* VocabularySettingsView::makeAddSection() {
    auto* section = new OstrelSection(QStringLiteral("Add New Term"), this);
    auto* line = new QWidget;
    auto* row = new QHBoxLayout(line); // owned by the line
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    termField_ = new QLineEdit(line);
    termField_->setPlaceholderText(QStringLiteral("Term"));
    termField_->setFont(ostreldesignkit::ostrelFont(15, OstrelFontWeight::regular));
    QObject::connect(termField_, &QLineEdit::textChanged, this,
                     [this](const QString& text) { model_.setNewTerm(stdText(text)); });
    row->addWidget(termField_);
    addButton_ = new ostreldesignkit::OstrelButton(QStringLiteral("Add"), line);
    QObject::connect(addButton_, &QAbstractButton::clicked, this, [this] { model_.addTerm(); });
    row->addWidget(addButton_);
    section->addContent(line);
    return section;
}

void VocabularySettingsView::refresh() {
    {
        const QSignalBlocker block(previewSwitch_);
        previewSwitch_->setChecked(model_.autoVocabularyLearningEnabled());
    }
    const bool showsPreview = model_.showsPreview();
    previewDivider_->setVisible(showsPreview);
    preview_->setVisible(showsPreview);
    previewText_->setText(qtText(model_.lastTranscript()));
    vocabularyEditor_->showText(qtText(model_.customVocabularyRaw()));
    showText(*termField_, model_.newTerm());
    addButton_->setEnabled(model_.canAdd());
}

} // namespace ostrelvirorez
