#include "OstrelVirorez/UI/Rewriting/ProfileDetailView.hpp"

#include "OstrelDesignKit/Glass/GlassFrame.hpp"
#include "OstrelDesignKit/Layout/FlowLayout.hpp"
#include "OstrelDesignKit/Status/StatusWidgets.hpp"
#include "OstrelDesignKit/Symbols/SymbolImage.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/UI/Rewriting/AppCatalog.hpp"
#include "OstrelVirorez/UI/Rewriting/AppIconImage.hpp"
#include "OstrelVirorez/UI/Rewriting/LabelStyling.hpp"
#include "OstrelVirorez/UI/Rewriting/SymbolButton.hpp"
#include "OstrelVirorez/UI/SettingsRows/SettingsRows.hpp"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

namespace ostrelvirorez {
namespace {

using ostreldesignkit::Color;
using ostreldesignkit::GlassBackground;
using ostreldesignkit::OstrelFontWeight;

QWidget* sectionHeader(const QString& title, QWidget* parent) {
    auto* header = new ostreldesignkit::OstrelSectionHeader(title, parent); // owned by parent
    header->setContentsMargins(4, 0, 0, 0);
    return header;
}

QLabel* note(const QString& text, double size, QWidget* parent) {
    auto* label = styledLabel(text, size, OstrelFontWeight::regular, Color::ostrelTextTertiary(), parent);
    label->setWordWrap(true);
    label->setContentsMargins(4, 0, 0, 0);
    return label;
}

QVBoxLayout* column(QWidget* host, int spacing) {
    auto* stack = new QVBoxLayout(host); // owned by host
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(spacing);
    return stack;
}

// The "Add" chip: a plus and the word on compact glass.
class AddAppButton final : public QAbstractButton {
public:
    explicit AddAppButton(QWidget* parent) : QAbstractButton(parent) {
        setText(QStringLiteral("Add"));
        setFont(ostreldesignkit::ostrelFont(11, OstrelFontWeight::medium));
        setCursor(Qt::PointingHandCursor);
    }
    QSize sizeHint() const override {
        const QFontMetrics metrics(font());
        return QSize(10 + 10 + 3 + metrics.horizontalAdvance(text()) + 10, std::max(metrics.height(), 10) + 10);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setOpacity(isDown() ? 0.6 : 1.0);
        GlassBackground::compact(8, 0.3).paint(painter, QRectF(rect()));
        const QColor color = Color::ostrelTextSecondary();
        const auto plus = ostreldesignkit::SymbolImage::render("plus", 10, color);
        painter.drawImage(QPointF(10, (height() - 10) / 2.0), plus);
        painter.setPen(color);
        painter.drawText(QRectF(23, 0, width() - 23, height()), Qt::AlignVCenter | Qt::AlignLeft, text());
    }
};

} // namespace

ProfileDetailView::ProfileDetailView(AppSettings& settings, AppCatalog& catalog, const platform::Uuid& profileID,
                                     QWidget* parent)
    : QScrollArea(parent), model_(settings, profileID), settings_(settings), catalog_(catalog) {
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(false);
    auto* content = new QWidget; // owned by the scroll area
    content->setAutoFillBackground(false);
    auto* stack = new QVBoxLayout(content); // owned by content
    stack->setContentsMargins(16, 16, 16, 16);
    stack->setSpacing(16);
    stack->addWidget(assignedAppsSection());
    stack->addWidget(engineOverrideSection());
    stack->addWidget(contextSection());
    stack->addWidget(promptSection());
    stack->addStretch(1);
    setWidget(content);
    modelChanged_ = model_.changed().connect([this] { refresh(); });
    refresh();
}

QSize ProfileDetailView::minimumSizeHint() const {
    const QSize scrolling = QScrollArea::minimumSizeHint();
    if (widget() == nullptr) return scrolling;
    const int margins = contentsMargins().left() + contentsMargins().right();
    return QSize(std::max(scrolling.width(), widget()->minimumSizeHint().width() + margins), scrolling.height());
}

ProfileDetailView::~ProfileDetailView() {
    // The controls act on the model; they go before it does.
    modelChanged_.disconnect();
    delete takeWidget();
    delete appPicker_;
}

QWidget* ProfileDetailView::assignedAppsSection() {
    auto* section = new QWidget;
    auto* stack = column(section, 8);
    stack->addWidget(sectionHeader(QStringLiteral("ASSIGNED APPS"), section));
    defaultNote_ = note(qt(ProfileDetailModel::defaultProfileNote()), 12, section);
    stack->addWidget(defaultNote_);
    chipArea_ = new QWidget(section);
    new ostreldesignkit::FlowLayout(chipArea_, 6); // owned by chipArea_
    addButton_ = new AddAppButton(chipArea_);
    QObject::connect(addButton_, &QAbstractButton::clicked, [this] { model_.openAppPicker(); });
    chipArea_->layout()->addWidget(addButton_);
    stack->addWidget(chipArea_);
    return section;
}

QWidget* ProfileDetailView::engineOverrideSection() {
    auto* section = new QWidget;
    auto* stack = column(section, 8);
    stack->addWidget(sectionHeader(QStringLiteral("SPEECH ENGINE"), section));
    auto* line = new QWidget(section);
    auto* row = new QHBoxLayout(line); // owned by line
    row->setContentsMargins(4, 0, 0, 0);
    row->setSpacing(10);
    row->addWidget(symbolLabel("cpu", 14, Color::cyanElectric(), std::nullopt, line));
    enginePicker_ = new QComboBox(line);
    enginePicker_->setMaximumWidth(320);
    enginePicker_->setFont(ostreldesignkit::ostrelFont(11, OstrelFontWeight::regular));
    for (const auto& option : ProfileDetailModel::engineOptions()) enginePicker_->addItem(qt(option.label));
    QObject::connect(enginePicker_, &QComboBox::activated, [this](int index) {
        model_.setEngine(ProfileDetailModel::engineOptions().at(std::size_t(index)).engine);
    });
    row->addWidget(enginePicker_);
    row->addStretch(1);
    stack->addWidget(line);
    engineNote_ = note({}, 11, section);
    stack->addWidget(engineNote_);
    return section;
}

QWidget* ProfileDetailView::contextSection() {
    auto* section = new QWidget;
    auto* stack = column(section, 8);
    stack->addWidget(sectionHeader(QStringLiteral("KONTEXT"), section));
    auto* card = new ostreldesignkit::GlassFrame(GlassBackground::regular(14, 0.45), section);
    auto* cardStack = new QVBoxLayout(card); // owned by card
    cardStack->setContentsMargins(12, 12, 12, 12);
    cardStack->setSpacing(0);
    triggerWords_ = new QLineEdit;
    triggerWords_->setPlaceholderText(QStringLiteral("z.B. E-Mail, zusammenfassen"));
    triggerWords_->setMaximumWidth(220);
    triggerWords_->setFont(ostreldesignkit::ostrelFont(12, OstrelFontWeight::regular));
    QObject::connect(triggerWords_, &QLineEdit::textEdited,
                     [this](const QString& text) { model_.setTriggerWordsText(text.toStdString()); });
    // Once editing ends the field shows the stored words in their joined form.
    QObject::connect(triggerWords_, &QLineEdit::editingFinished,
                     [this] { triggerWords_->setText(qt(model_.triggerWordsText())); });
    cardStack->addWidget(new OstrelRow(QStringLiteral("Trigger-Wörter"), std::string("text.cursor"), triggerWords_, card));
    cardStack->addWidget(new OstrelAppDivider(card));
    auto* clipboardRow = new OstrelToggleRow(QStringLiteral("Zwischenablage als Kontext"),
                                             std::string("doc.on.clipboard"), false, card);
    clipboardContext_ = &clipboardRow->toggle();
    QObject::connect(clipboardContext_, &QAbstractButton::toggled,
                     [this](bool on) { model_.setIncludeClipboardContext(on); });
    cardStack->addWidget(clipboardRow);
    cardStack->addWidget(new OstrelAppDivider(card));
    auto* windowRow = new OstrelToggleRow(QStringLiteral("Fenstertitel als Kontext (Developer Mode)"),
                                          std::string("menubar.rectangle"), false, card);
    windowTitleContext_ = &windowRow->toggle();
    QObject::connect(windowTitleContext_, &QAbstractButton::toggled,
                     [this](bool on) { model_.setIncludeWindowTitleContext(on); });
    cardStack->addWidget(windowRow);
    stack->addWidget(card);
    stack->addWidget(note(qt(ProfileDetailModel::contextHelp()), 10, section));
    return section;
}

QWidget* ProfileDetailView::promptSection() {
    auto* section = new QWidget;
    auto* stack = column(section, 6);
    auto* titleLine = new QWidget(section);
    auto* titleRow = new QHBoxLayout(titleLine); // owned by titleLine
    titleRow->setContentsMargins(4, 0, 0, 0);
    titleRow->addWidget(new ostreldesignkit::OstrelSectionHeader(QStringLiteral("DICTATION PROMPT"), titleLine));
    titleRow->addStretch(1);
    auto* reset = new QPushButton(QStringLiteral("Reset"), titleLine);
    reset->setFlat(true);
    reset->setCursor(Qt::PointingHandCursor);
    reset->setFont(ostreldesignkit::ostrelFont(11, OstrelFontWeight::medium));
    QPalette palette = reset->palette();
    palette.setColor(QPalette::ButtonText, Color::withOpacity(Color::cyanElectric(), 0.7));
    reset->setPalette(palette);
    QObject::connect(reset, &QAbstractButton::clicked, [this] { model_.reset(); });
    reset_ = reset;
    titleRow->addWidget(reset);
    stack->addWidget(titleLine);
    auto* glass = new ostreldesignkit::GlassFrame(GlassBackground::compact(8, 0.3), section);
    auto* glassStack = new QVBoxLayout(glass); // owned by glass
    glassStack->setContentsMargins(10, 10, 10, 10);
    prompt_ = new QPlainTextEdit(glass);
    prompt_->setFrameShape(QFrame::NoFrame);
    prompt_->setFont(ostreldesignkit::ostrelFont(12, OstrelFontWeight::regular));
    prompt_->viewport()->setAutoFillBackground(false);
    prompt_->setMinimumHeight(140 - 20);
    QObject::connect(prompt_, &QPlainTextEdit::textChanged,
                     [this] { model_.setPrompt(prompt_->toPlainText().toStdString()); });
    glassStack->addWidget(prompt_);
    stack->addWidget(glass);
    stack->addWidget(note(qt(ProfileDetailModel::promptHint()), 10, section));
    return section;
}

std::vector<QAbstractButton*> ProfileDetailView::chipRemoveButtons() const {
    std::vector<QAbstractButton*> buttons;
    for (auto* chip : chips_) buttons.push_back(chip->findChild<QAbstractButton*>());
    return buttons;
}

void ProfileDetailView::rebuildChips() {
    auto apps = model_.assignedApps();
    if (apps == chipApps_) return;
    chipApps_ = std::move(apps);
    // Removing a chip runs inside its own button, so old chips go later.
    for (auto* chip : chips_) {
        chip->hide();
        chipArea_->layout()->removeWidget(chip);
        chip->deleteLater();
    }
    chips_.clear();
    auto* flow = chipArea_->layout();
    flow->removeWidget(addButton_);
    for (const auto& app : chipApps_) {
        auto* chip = new ostreldesignkit::GlassFrame(GlassBackground::compact(8, 0.3), chipArea_);
        auto* row = new QHBoxLayout(chip); // owned by chip
        row->setContentsMargins(10, 5, 10, 5);
        row->setSpacing(5);
        const QPixmap icon = appIconPixmap(catalog_.icon(app.bundleIdentifier), 15);
        if (!icon.isNull()) {
            auto* image = new QLabel(chip);
            image->setPixmap(icon.scaled(15, 15, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation));
            image->setFixedSize(15, 15);
            row->addWidget(image);
        }
        row->addWidget(styledLabel(qt(app.displayName), 11, OstrelFontWeight::medium, std::nullopt, chip));
        auto* remove = new SymbolButton("xmark", 8, Color::ostrelTextSecondary(), QSize(12, 12), chip);
        QObject::connect(remove, &QAbstractButton::clicked,
                         [&model = model_, id = app.bundleIdentifier] { model.removeApp(id); });
        row->addWidget(remove);
        flow->addWidget(chip);
        chip->show();
        chips_.push_back(chip);
    }
    flow->addWidget(addButton_);
}

void ProfileDetailView::refresh() {
    const bool isDefault = model_.showsDefaultNote();
    defaultNote_->setVisible(isDefault);
    chipArea_->setVisible(!isDefault);
    rebuildChips();

    const auto engine = model_.engine();
    const auto& options = ProfileDetailModel::engineOptions();
    for (std::size_t index = 0; index < options.size(); ++index) {
        if (options[index].engine == engine) {
            const QSignalBlocker block(enginePicker_);
            enginePicker_->setCurrentIndex(int(index));
        }
    }
    engineNote_->setText(qt(model_.engineNote()));

    // While the user types, the field keeps the text as typed as long as it
    // still means the stored words.
    const auto stored = model_.profile();
    const auto words = stored ? stored->triggerWords : std::vector<std::string>{};
    if (ProfileDetailModel::parseTriggerWords(triggerWords_->text().toStdString()) != words) {
        triggerWords_->setText(qt(ProfileDetailModel::joinTriggerWords(words)));
    }
    {
        const QSignalBlocker blockClipboard(clipboardContext_);
        clipboardContext_->setChecked(model_.includeClipboardContext());
        const QSignalBlocker blockWindow(windowTitleContext_);
        windowTitleContext_->setChecked(model_.includeWindowTitleContext());
    }
    const auto prompt = qt(model_.prompt());
    if (prompt_->toPlainText() != prompt) {
        const QSignalBlocker block(prompt_);
        prompt_->setPlainText(prompt);
    }
    reset_->setVisible(model_.showsReset());
    showAppPickerIfAsked();
}

void ProfileDetailView::showAppPickerIfAsked() {
    if (!model_.showAppPicker() || appPicker_) return;
    appPicker_ = new AppPickerSheet(settings_, catalog_, model_.profileID(), this);
    QObject::connect(appPicker_, &QDialog::finished, [this] {
        if (appPicker_) appPicker_->deleteLater();
        appPicker_.clear();
        model_.appPickerDismissed();
    });
    appPicker_->open();
}

} // namespace ostrelvirorez
