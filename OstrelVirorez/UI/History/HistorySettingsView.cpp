#include "OstrelVirorez/UI/History/HistorySettingsView.hpp"

#include "OstrelDesignKit/Symbols/SymbolImage.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelDesignKit/Tokens/OstrelFontWeight.hpp"
#include "OstrelDesignKit/Tokens/TextStyle.hpp"
#include "OstrelVirorez/Model/DictationHistoryStore.hpp"
#include "OstrelVirorez/UI/History/HistoryEntryRow.hpp"
#include "OstrelVirorez/UI/SettingsRows/SettingsRows.hpp"
#include "OstrelVirorez/UI/SettingsRows/VirorezColors.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

namespace ostrelvirorez {
namespace {

using ostreldesignkit::Color;
using ostreldesignkit::TextStyle;

QString qt(const std::string& text) { return QString::fromStdString(text); }

QLabel* caption(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    ostreldesignkit::applyTextStyle(*label, TextStyle::caption);
    label->setWordWrap(true);
    return label;
}

QColor modeColor(HistorySettingsModel::ModeColor color) {
    switch (color) {
    case HistorySettingsModel::ModeColor::claude: return VirorezColors::claude();
    case HistorySettingsModel::ModeColor::timecodeBlue: return Color::timecodeBlue();
    case HistorySettingsModel::ModeColor::secondary: break;
    }
    return Color::ostrelTextSecondary();
}

// The search field's ground: black at 20 % with corners of radius 8.
class SearchBar final : public QWidget {
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

} // namespace

HistorySettingsView::HistorySettingsView(AppSettings& settings, DictationHistoryStore& store, QWidget* parent)
    : HistorySettingsView(settings, store.container(), [] { return std::chrono::system_clock::now(); }, {},
                          parent) {}

HistorySettingsView::HistorySettingsView(AppSettings& settings, DictationHistoryContainer& container,
                                         HistorySettingsModel::Now now, std::string locale, QWidget* parent)
    : QWidget(parent), model_(std::make_unique<HistorySettingsModel>(settings, container, std::move(now))),
      locale_(std::move(locale)) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The tab draws on the window's own glass.
    scroll->viewport()->setAutoFillBackground(false);
    outer->addWidget(scroll);

    auto* content = new QWidget;
    content->setAutoFillBackground(false);
    auto* stack = new QVBoxLayout(content);
    stack->setContentsMargins(16, 16, 16, 16);
    stack->setSpacing(16);
    stack->addWidget(makeHistorySection());
    historySections_ = new QWidget(content);
    auto* sections = new QVBoxLayout(historySections_);
    sections->setContentsMargins(0, 0, 0, 0);
    sections->setSpacing(16);
    sections->addWidget(makeSearchSection());
    entriesHolder_ = new QVBoxLayout;
    entriesHolder_->setContentsMargins(0, 0, 0, 0);
    sections->addLayout(entriesHolder_);
    sections->addWidget(makeClearSection());
    stack->addWidget(historySections_);
    stack->addStretch(1);
    scroll->setWidget(content);

    modelObserver_ = model_->changed.connect([this] { refresh(); });
    ageTimer_ = new QTimer(this);
    ageTimer_->setInterval(std::chrono::duration_cast<std::chrono::milliseconds>(ageRefreshInterval));
    connect(ageTimer_, &QTimer::timeout, this, [this] { refresh(); });
    ageTimer_->start();
    refresh();
}

HistorySettingsView::~HistorySettingsView() { modelObserver_.disconnect(); }

QWidget* HistorySettingsView::makeHistorySection() {
    auto* section = new OstrelSection(QStringLiteral("Diktat-Verlauf"), this);
    auto* note = caption(QStringLiteral("Speichert jedes Diktat lokal und durchsuchbar — Text, Zeitstempel, Ziel-App. "
                                        "Verlässt nie deinen Rechner. Default aus, da diktierter Text sensibel sein kann."),
                         section);
    note->setContentsMargins(0, 0, 0, 4);
    section->addContent(note);
    toggle_ = new OstrelToggleRow(QStringLiteral("Verlauf aktivieren"), "clock.arrow.circlepath",
                                  model_->historyEnabled(), section);
    connect(&toggle_->toggle(), &QAbstractButton::toggled, this,
            [this](bool on) { model_->setHistoryEnabled(on); });
    section->addContent(toggle_);
    return section;
}

QWidget* HistorySettingsView::makeSearchSection() {
    auto* section = new OstrelSection(QStringLiteral("Suche"), this);
    auto* bar = new SearchBar(section);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(10, 10, 10, 10);
    row->setSpacing(8);
    auto* glass = new QLabel(bar);
    glass->setPixmap(
        QPixmap::fromImage(ostreldesignkit::SymbolImage::render("magnifyingglass", 14, Color::ostrelTextSecondary())));
    row->addWidget(glass);
    search_ = new QLineEdit(bar);
    search_->setFrame(false);
    search_->setPlaceholderText(QStringLiteral("Verlauf durchsuchen"));
    search_->setFont(ostreldesignkit::ostrelFont(15, ostreldesignkit::OstrelFontWeight::regular));
    QPalette palette = search_->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::Text, Color::primary());
    palette.setColor(QPalette::PlaceholderText, Color::ostrelTextSecondary());
    search_->setPalette(palette);
    connect(search_, &QLineEdit::textChanged, this, [this](const QString& text) {
        model_->setSearchText(text.toStdString());
    });
    row->addWidget(search_, 1);
    section->addContent(bar);
    return section;
}

QWidget* HistorySettingsView::makeClearSection() {
    auto* section = new OstrelSection(QStringLiteral("Verlauf löschen"), this);
    auto* line = new QWidget(section);
    auto* row = new QHBoxLayout(line);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(caption(QStringLiteral("Löscht alle Verlaufseinträge. Kann nicht rückgängig gemacht werden."), line),
                   1);
    clearAll_ = new OstrelDestructiveButton(QStringLiteral("Alles löschen"), line);
    connect(clearAll_, &QAbstractButton::clicked, this, [this] { model_->requestClearAll(); });
    row->addWidget(clearAll_);
    section->addContent(line);
    return section;
}

QWidget* HistorySettingsView::makeEntriesSection() {
    const auto shown = model_->filtered();
    auto* section = new OstrelSection(qt(model_->entriesSectionTitle()), this);
    if (const auto& error = model_->deletionError()) {
        auto* failure = caption(qt(*error), section);
        QPalette palette = failure->palette();
        palette.setColor(QPalette::WindowText, VirorezColors::warning());
        failure->setPalette(palette);
        failure->setObjectName(QStringLiteral("deletionError"));
        section->addContent(failure);
    }
    if (shown.empty()) {
        auto* empty = caption(qt(model_->emptyListText()), section);
        empty->setContentsMargins(0, 8, 0, 8);
        section->addContent(empty);
        return section;
    }
    for (std::size_t index = 0; index < shown.size(); ++index) {
        const auto& entry = shown[index];
        const auto icon = HistorySettingsModel::modeIcon(entry.mode);
        section->addContent(new HistoryEntryRow(
            {entry, qt(HistorySettingsModel::appNameText(entry)), qt(model_->ageText(entry, locale_)), icon.symbol,
             modeColor(icon.color)},
            [this, entry] { model_->deleteEntry(entry); }, section));
        if (index + 1 < shown.size()) section->addContent(new OstrelAppDivider(section));
    }
    return section;
}

void HistorySettingsView::refresh() {
    historySections_->setVisible(model_->historyEnabled());
    if (toggle_->toggle().isChecked() != model_->historyEnabled()) toggle_->toggle().setChecked(model_->historyEnabled());
    // The old section may hold the delete button being clicked; it goes once the click is over.
    if (entriesSection_) {
        entriesHolder_->removeWidget(entriesSection_);
        entriesSection_->hide();
        entriesSection_->setParent(nullptr);
        entriesSection_->deleteLater();
    }
    entriesSection_ = makeEntriesSection();
    entriesHolder_->addWidget(entriesSection_);
    if (model_->showClearConfirm() && !confirmation_) showConfirmation();
}

void HistorySettingsView::showConfirmation() {
    auto* alert = new QMessageBox(QMessageBox::Warning, QStringLiteral("Verlauf löschen?"),
                                  qt(model_->clearConfirmMessage()), QMessageBox::NoButton, this);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setWindowModality(Qt::WindowModal);
    alert->setText(QStringLiteral("Verlauf löschen?"));
    alert->setInformativeText(qt(model_->clearConfirmMessage()));
    QPushButton* cancel = alert->addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
    QPushButton* remove = alert->addButton(QStringLiteral("Löschen"), QMessageBox::DestructiveRole);
    alert->setDefaultButton(cancel);
    alert->setEscapeButton(cancel);
    confirmation_ = alert;
    // Closing it any way but "Löschen" cancels.
    connect(alert, &QMessageBox::finished, this, [this, alert, remove] {
        const bool confirmed = alert->clickedButton() == remove;
        confirmation_ = nullptr;
        if (confirmed) {
            model_->clearAll();
        } else {
            model_->cancelClearAll();
        }
    });
    alert->open();
}

} // namespace ostrelvirorez
