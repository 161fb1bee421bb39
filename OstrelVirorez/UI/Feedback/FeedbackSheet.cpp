#include "OstrelVirorez/UI/Feedback/FeedbackSheet.hpp"

#include "OstrelDesignKit/Symbols/SymbolImage.hpp"
#include "OstrelVirorez/Services/FeedbackService.hpp"
#include "OstrelVirorez/UI/Feedback/WindowCapture.hpp"
#include "OstrelVirorez/UI/Onboarding/OnboardingParts.hpp"
#include "OstrelVirorez/UI/Onboarding/SheetWidgets.hpp"
#include "OstrelVirorez/UI/SettingsRows/VirorezColors.hpp"
#include "Platform/Concurrency/MainQueue.hpp"

#include <QCheckBox>
#include <QGridLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QSysInfo>
#include <QToolButton>
#include <QVBoxLayout>

namespace ostrelvirorez {
namespace {

using namespace sheetstyle;

// The running system's name ("Linux"), labelling its version among the facts.
QString systemName() {
    QString name = QSysInfo::kernelType();
    if (!name.isEmpty()) name[0] = name[0].toUpper();
    return name;
}

constexpr int standardPadding = 16;
constexpr int previewMaxHeight = 160;

// A grouped form section: its header text above a rounded inset group.
QWidget* formSection(const QString& title, QWidget* content, QWidget* parent) {
    auto* section = new QWidget(parent);
    auto* layout = new QVBoxLayout(section);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    if (!title.isEmpty()) layout->addWidget(textLabel(title, SystemTextStyle::callout, true, section));
    auto* group = new SheetGroupPanel(section);
    auto* inner = new QVBoxLayout(group);
    inner->setContentsMargins(12, 10, 12, 10);
    content->setParent(group);
    inner->addWidget(content);
    layout->addWidget(group);
    return section;
}

QVBoxLayout* column(QWidget* owner, int spacing) {
    auto* layout = new QVBoxLayout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

// The screenshot scaled to fit at most 160 points high, corners rounded by 6.
QPixmap previewPixmap(const PNGData& data, int maxWidth) {
    QImage image;
    image.loadFromData(data.data(), int(data.size()));
    const QSize size = image.size().scaled(QSize(maxWidth, previewMaxHeight), Qt::KeepAspectRatio)
                           .boundedTo(image.size());
    QPixmap rounded(size);
    rounded.fill(Qt::transparent);
    QPainter painter(&rounded);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(size)), 6, 6);
    painter.setClipPath(clip);
    painter.drawImage(QRect(QPoint(0, 0), size), image);
    return rounded;
}

FeedbackSheetModel::Facts thisComputersFacts() {
    return {FeedbackService::appVersion(), FeedbackService::osVersion(), loginUserName()};
}

FeedbackSheetModel::Dependencies dependenciesFor(FeedbackSheetServices services, std::function<void()> dismiss) {
    const FeedbackService& service = services.service;
    const AppSettings& settings = services.settings;
    const FeedbackDiagnosticsSources& diagnostics = services.diagnostics;
    return {
        [&service](const FeedbackPayload& payload, std::stop_token stop) {
            return service.send(payload, std::move(stop));
        },
        services.facts ? std::move(services.facts) : thisComputersFacts,
        [&settings, &diagnostics] { return FeedbackService::sammeleDiagnose(settings, diagnostics); },
        [window = std::move(services.windowToCapture)] { return captureWindowPNG(window ? window() : nullptr); },
        services.mainQueue,
        std::move(services.executor),
        std::move(dismiss),
    };
}

} // namespace

FeedbackSheet::FeedbackSheet(QString herkunft, FeedbackSheetServices services, std::function<void()> dismiss,
                             QWidget* parent)
    : QWidget(parent) {
    platform::MainQueue& queue = services.mainQueue;
    model_ = std::make_unique<FeedbackSheetModel>(herkunft.toStdString(),
                                                  dependenciesFor(std::move(services), std::move(dismiss)));
    applySheetPalette(*this);
    setFixedSize(sheetSize);
    auto* root = column(this, 0);
    root->addWidget(makeHeader());
    root->addWidget(divider(this));
    scroll_ = new QScrollArea(this);
    scroll_->setWidgetResizable(true);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setWidget(makeForm());
    root->addWidget(scroll_, 1);
    root->addWidget(divider(this));
    root->addWidget(makeFooter());
    modelObserver_ = model_->changed.connect([this] { refresh(); });
    refresh();
    queue.post([sheet = QPointer<FeedbackSheet>(this)] {
        if (sheet) sheet->model().laden();
    });
}

FeedbackSheet::~FeedbackSheet() { modelObserver_.disconnect(); }

QWidget* FeedbackSheet::makeHeader() {
    auto* header = new QWidget(this);
    auto* layout = new QHBoxLayout(header);
    layout->setContentsMargins(standardPadding, standardPadding, standardPadding, standardPadding);
    layout->addWidget(symbolLabel("envelope.badge", 22, systemBlue(), 0, header));
    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    for (QLabel* line : {textLabel(QString::fromUtf8(headerTitle), SystemTextStyle::headline, false, header),
                         textLabel(QStringLiteral("Geht direkt rein. Du musst nichts kopieren."),
                                   SystemTextStyle::caption, true, header)}) {
        line->setWordWrap(false);
        titles->addWidget(line);
    }
    layout->addLayout(titles);
    layout->addStretch(1);
    return header;
}

QWidget* FeedbackSheet::makeForm() {
    auto* form = new QWidget;
    auto* layout = column(form, 16);
    layout->setContentsMargins(standardPadding, standardPadding, standardPadding, standardPadding);
    layout->addWidget(feedbackSection());
    layout->addWidget(optionalSection());
    layout->addWidget(diagnosticsSection());
    layout->addWidget(outcomeSection());
    layout->addStretch(1);
    return form;
}

QWidget* FeedbackSheet::feedbackSection() {
    auto* content = new QWidget;
    auto* layout = column(content, 6);
    editor_ = new QPlainTextEdit(content);
    editor_->setMinimumHeight(140);
    const QColor rim = secondaryColor();
    editor_->setStyleSheet(QStringLiteral("QPlainTextEdit { background: #2A2A2A; color: white; "
                                              "border: 1px solid rgba(%1, %2, %3, %4); }")
                               .arg(rim.red())
                               .arg(rim.green())
                               .arg(rim.blue())
                               .arg(rim.alphaF() * 0.3));
    connect(editor_, &QPlainTextEdit::textChanged, this,
            [this] { model_->setText(editor_->toPlainText().toStdString()); });
    layout->addWidget(editor_);
    layout->addWidget(textLabel(QStringLiteral("Was funktioniert nicht / was wäre cool / wo hängst du?"),
                                SystemTextStyle::caption, true, content));
    return formSection(QStringLiteral("Dein Feedback"), content, this);
}

QWidget* FeedbackSheet::optionalSection() {
    auto* content = new QWidget;
    auto* layout = column(content, 8);
    auto* toggle = new QCheckBox(QStringLiteral("Aktuellen Screenshot mitschicken"), content);
    connect(toggle, &QAbstractButton::toggled, this, [this](bool on) { model_->setScreenshotMitschicken(on); });
    screenshotToggle_ = toggle;
    layout->addWidget(toggle);
    screenshotArea_ = new QWidget(content);
    screenshotLayout_ = column(screenshotArea_, 4);
    layout->addWidget(screenshotArea_);
    return formSection(QStringLiteral("Optional"), content, this);
}

QWidget* FeedbackSheet::diagnosticsSection() {
    auto* content = new QWidget;
    auto* layout = column(content, 8);
    auto* facts = new QGridLayout;
    facts->setColumnStretch(1, 1);
    facts->setVerticalSpacing(6);
    const auto addRow = [content, facts](const QString& title) {
        const int row = facts->rowCount();
        facts->addWidget(new QLabel(title, content), row, 0);
        auto* value = new QLabel(content);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        facts->addWidget(value, row, 1);
        return value;
    };
    userName_ = addRow(QStringLiteral("Absender"));
    appVersion_ = addRow(QStringLiteral("App-Version"));
    osVersion_ = addRow(systemName());
    if (!model_->herkunft().empty()) addRow(QStringLiteral("Bereich"))->setText(qt(model_->herkunft()));
    layout->addLayout(facts);
    auto* disclosure = new QToolButton(content);
    disclosure->setText(QStringLiteral("Vollständige Diagnose anzeigen"));
    disclosure->setCheckable(true);
    disclosure->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    disclosure->setArrowType(Qt::RightArrow);
    disclosure->setAutoRaise(true);
    connect(disclosure, &QAbstractButton::toggled, this, [this](bool open) { model_->setShowDiagnose(open); });
    diagnoseToggle_ = disclosure;
    layout->addWidget(disclosure);
    diagnoseText_ = new QLabel(content);
    diagnoseText_->setFont(systemFont(10, true));
    setTextColor(*diagnoseText_, secondaryColor());
    diagnoseText_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    diagnoseText_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    diagnoseText_->setWordWrap(true);
    layout->addWidget(diagnoseText_);
    layout->addWidget(textLabel(
        QStringLiteral("Enthält Engine-/Hotkey-/Berechtigungs-Status und deinen Benutzernamen (oben als "
                       "'Absender'). Keine Diktat-Inhalte, keine Passwörter/API-Keys."),
        SystemTextStyle::caption2, true, content));
    return formSection(QStringLiteral("Wird automatisch mitgeschickt (zur Diagnose)"), content, this);
}

QWidget* FeedbackSheet::outcomeSection() {
    auto* content = new QWidget;
    auto* layout = new QHBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    statusSymbol_ = new QLabel(content);
    statusText_ = textLabel({}, SystemTextStyle::callout, false, content);
    layout->addWidget(statusSymbol_);
    layout->addWidget(statusText_, 1);
    statusSection_ = formSection({}, content, this);
    return statusSection_;
}

QWidget* FeedbackSheet::makeFooter() {
    auto* footer = new QWidget(this);
    auto* layout = new QHBoxLayout(footer);
    layout->setContentsMargins(standardPadding, standardPadding, standardPadding, standardPadding);
    auto* cancel = new QPushButton(QStringLiteral("Abbrechen"), footer);
    cancel->setAutoDefault(false);
    connect(cancel, &QAbstractButton::clicked, this, [this] { model_->cancel(); });
    auto* send = new QPushButton(footer);
    send->setDefault(true);
    applyProminentStyle(*send);
    connect(send, &QAbstractButton::clicked, this, [this] { model_->senden(); });
    cancelButton_ = cancel;
    sendButton_ = send;
    layout->addWidget(cancel);
    layout->addStretch(1);
    layout->addWidget(send);
    return footer;
}

void FeedbackSheet::refresh() {
    userName_->setText(qt(model_->facts().userName));
    appVersion_->setText(qt(model_->facts().appVersion));
    osVersion_->setText(qt(model_->facts().osVersion));
    diagnoseToggle_->setArrowType(model_->showDiagnose() ? Qt::DownArrow : Qt::RightArrow);
    diagnoseText_->setText(qt(model_->diagnoseShown()));
    diagnoseText_->setVisible(model_->showDiagnose());
    const bool hasStatus = !model_->status().empty();
    statusSection_->setVisible(hasStatus);
    if (hasStatus) {
        const bool ok = model_->statusOK().value_or(false);
        statusSymbol_->setPixmap(QPixmap::fromImage(ostreldesignkit::SymbolImage::render(
            ok ? "checkmark.circle.fill" : "exclamationmark.circle.fill", 16, ok ? systemGreen() : systemOrange())));
        // A new outcome is brought into view at the foot of the form.
        if (statusText_->text() != qt(model_->status())) {
            statusText_->setText(qt(model_->status()));
            scroll_->widget()->adjustSize();
            scroll_->ensureWidgetVisible(statusSection_);
        }
    }
    sendButton_->setText(qt(model_->sendButtonTitle()));
    sendButton_->setEnabled(model_->canSend());
    refreshScreenshot();
}

void FeedbackSheet::refreshScreenshot() {
    while (QLayoutItem* item = screenshotLayout_->takeAt(0)) {
        if (QWidget* widget = item->widget()) widget->deleteLater();
        delete item;
    }
    switch (model_->screenshotState()) {
    case FeedbackSheetModel::ScreenshotState::off: break;
    case FeedbackSheetModel::ScreenshotState::preview: {
        auto* preview = new QLabel(screenshotArea_);
        preview->setObjectName(QStringLiteral("screenshotPreview"));
        preview->setPixmap(previewPixmap(*model_->screenshotData(), sheetSize.width() - 4 * standardPadding));
        screenshotLayout_->addWidget(preview);
        screenshotLayout_->addWidget(
            textLabel(qt(model_->screenshotSizeText()), SystemTextStyle::caption2, true, screenshotArea_));
        break;
    }
    case FeedbackSheetModel::ScreenshotState::failed: {
        auto* failure = textLabel(qt(FeedbackSheetModel::screenshotFailedText()), SystemTextStyle::caption, false,
                                  screenshotArea_);
        setTextColor(*failure, VirorezColors::warning());
        screenshotLayout_->addWidget(failure);
        break;
    }
    }
    screenshotArea_->setVisible(model_->screenshotState() != FeedbackSheetModel::ScreenshotState::off);
}

void FeedbackSheet::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        cancelButton_->click();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (sendButton_->isEnabled()) sendButton_->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace ostrelvirorez
