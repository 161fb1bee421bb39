#include "OstrelVirorez/UI/Onboarding/OnboardingSheet.hpp"

#include "OstrelDesignKit/Glass/OstrelButton.hpp"
#include "OstrelDesignKit/Layout/FlowLayout.hpp"
#include "OstrelDesignKit/Symbols/SymbolImage.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/App/AppState.hpp"
#include "OstrelVirorez/UI/Onboarding/OnboardingParts.hpp"
#include "OstrelVirorez/UI/Onboarding/ProminentButton.hpp"
#include "OstrelVirorez/UI/Onboarding/SheetWidgets.hpp"
#include "OstrelVirorez/UI/SettingsRows/SettingsRows.hpp"
#include "OstrelVirorez/UI/SettingsRows/VirorezColors.hpp"

#include <QDesktopServices>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollArea>
#include <QUrl>
#include <QVBoxLayout>

namespace ostrelvirorez {
namespace {

using namespace sheetstyle;

using ostreldesignkit::Color;

QVBoxLayout* stack(QWidget* owner, int spacing) {
    auto* layout = new QVBoxLayout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

QWidget* featureRow(const char* icon, const QString& title, const QString& text, QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    layout->addWidget(symbolLabel(icon, 18, Color::cyanElectric(), 26, row), 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(textLabel(title, SystemTextStyle::headline, false, row));
    texts->addWidget(textLabel(text, SystemTextStyle::callout, true, row));
    layout->addLayout(texts, 1);
    return row;
}

// The green "Erteilt" label that replaces a granted permission's buttons.
QWidget* grantedLabel(QWidget* parent) {
    auto* label = new QWidget(parent);
    auto* layout = new QHBoxLayout(label);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(symbolLabel("checkmark.seal.fill", 14, systemGreen(), 0, label));
    auto* text = new QLabel(QStringLiteral("Erteilt"), label);
    setTextColor(*text, systemGreen());
    layout->addWidget(text);
    // The seal stays beside its word however wide the row is.
    layout->addStretch(1);
    return label;
}

struct PermissionRowContent {
    const char* icon;
    QString title;
    QString description;
    bool granted;
    std::optional<std::string> deniedHint;
    QWidget* actions;
};

QWidget* permissionRow(const PermissionRowContent& content, QWidget* parent) {
    auto* row = new SheetGroupPanel(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(14);
    layout->addWidget(symbolLabel(content.icon, 20, Color::cyanElectric(), 30, row), 0, Qt::AlignTop);
    auto* column = new QVBoxLayout;
    column->setSpacing(4);
    auto* titleLine = new QHBoxLayout;
    titleLine->addWidget(textLabel(content.title, SystemTextStyle::headline, false, row));
    titleLine->addWidget(new VirorezStatusDot(content.granted, content.granted ? QStringLiteral("Erteilt")
                                                                               : QStringLiteral("Fehlt"),
                                              row));
    titleLine->addStretch(1);
    column->addLayout(titleLine);
    column->addWidget(textLabel(content.description, SystemTextStyle::callout, true, row));
    if (content.deniedHint) {
        auto* hint = textLabel(qt(*content.deniedHint), SystemTextStyle::caption, false, row);
        setTextColor(*hint, VirorezColors::warning());
        column->addWidget(hint);
    }
    column->addSpacing(4);
    content.actions->setParent(row);
    column->addWidget(content.actions);
    layout->addLayout(column, 1);
    return row;
}

ostreldesignkit::OstrelButton* plainButton(const QString& title, QWidget* parent, std::function<void()> action) {
    auto* button = new ostreldesignkit::OstrelButton(title, parent);
    QObject::connect(button, &QAbstractButton::clicked, button, [action = std::move(action)] { action(); });
    return button;
}

} // namespace

OnboardingSheet::OnboardingSheet(AppSettings& settings, AppState& appState, std::function<void()> dismiss,
                                 QWidget* parent)
    : QWidget(parent) {
    build({settings, appState.permissions(), appState.mainQueue(),
           [state = appState.weak_from_this()] {
               if (const auto appState = state.lock()) appState->loadSelectedEngine();
           },
           [](const std::string& url) { QDesktopServices::openUrl(QUrl(QString::fromStdString(url))); },
           std::move(dismiss)});
}

OnboardingSheet::OnboardingSheet(OnboardingModel::Dependencies dependencies, QWidget* parent) : QWidget(parent) {
    build(std::move(dependencies));
}

OnboardingSheet::~OnboardingSheet() { modelObserver_.disconnect(); }

void OnboardingSheet::build(OnboardingModel::Dependencies dependencies) {
    model_ = std::make_unique<OnboardingModel>(std::move(dependencies));
    applySheetPalette(*this);
    setFixedSize(sheetSize);
    auto* root = stack(this, 0);
    root->addWidget(makeHeader());
    root->addWidget(divider(this));
    scroll_ = new QScrollArea(this);
    scroll_->setWidgetResizable(true);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    root->addWidget(scroll_, 1);
    root->addWidget(divider(this));
    root->addWidget(makeFooter());
    modelObserver_ = model_->changed.connect([this] { refresh(); });
    refresh();
    // The sheet reads the permissions as it appears.
    model_->refreshPermissions();
}

QWidget* OnboardingSheet::makeHeader() {
    auto* header = new QWidget(this);
    auto* layout = new QHBoxLayout(header);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(14);
    layout->addWidget(symbolLabel("mic.fill.badge.plus", 28, Color::cyanElectric(), 0, header), 0,
                      Qt::AlignVCenter);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    title_ = textLabel({}, SystemTextStyle::headline, false, header);
    counter_ = textLabel({}, SystemTextStyle::caption, true, header);
    title_->setWordWrap(false);
    counter_->setWordWrap(false);
    titles->addWidget(title_);
    titles->addWidget(counter_);
    layout->addLayout(titles);
    layout->addStretch(1);
    dots_ = new StepDots(OnboardingModel::steps, header);
    layout->addWidget(dots_, 0, Qt::AlignVCenter);
    return header;
}

QWidget* OnboardingSheet::makeFooter() {
    auto* footer = new QWidget(this);
    auto* layout = new QHBoxLayout(footer);
    layout->setContentsMargins(16, 16, 16, 16);
    leftButton_ = plainButton({}, footer, [this] { model_->pressLeft(); });
    auto* right = new ProminentButton(footer);
    connect(right, &QAbstractButton::clicked, this, [this] { model_->pressRight(); });
    rightButton_ = right;
    layout->addWidget(leftButton_);
    layout->addStretch(1);
    layout->addWidget(rightButton_);
    return footer;
}

void OnboardingSheet::refresh() {
    title_->setText(qt(model_->headerTitle()));
    counter_->setText(qt(model_->stepCounter()));
    dots_->setHighlighted(model_->step());
    leftButton_->setText(qt(model_->leftButtonTitle()));
    leftButton_->updateGeometry();
    rightButton_->setText(qt(model_->rightButtonTitle()));
    // The old content may hold the button being clicked; it goes once the click is over.
    if (QWidget* old = scroll_->takeWidget()) {
        old->hide();
        old->deleteLater();
    }
    stepContent_ = makeStepContent();
    scroll_->setWidget(stepContent_);
}

QWidget* OnboardingSheet::makeStepContent() {
    switch (model_->step()) {
    case 0: return makeWelcomeStep();
    case 1: return makePermissionsStep();
    case 2: return makeEngineStep();
    default: return new QWidget;
    }
}

QWidget* OnboardingSheet::makeWelcomeStep() {
    auto* step = new QWidget;
    auto* layout = stack(step, 20);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->addWidget(textLabel(
        QStringLiteral("Push-to-Talk-Diktat für jede App. Lokal, schnell, mit optionaler Claude-Veredelung."),
        SystemTextStyle::title3, false, step));
    layout->addWidget(featureRow("command", QStringLiteral("Halten + sprechen"),
                                 QStringLiteral("Halt die Diktat-Taste gedrückt, sprich frei, lass los. Der Text "
                                                "wird automatisch ins aktive Fenster eingefügt."),
                                 step));
    layout->addWidget(featureRow("sparkles", QStringLiteral("Claude-Mode (optional)"),
                                 QStringLiteral("Eigene Hotkey-Taste startet Claude — Grammatik, Stil und Form "
                                                "werden geputzt, bevor der Text landet."),
                                 step));
    layout->addWidget(featureRow("lock.shield", QStringLiteral("Lokal & privat"),
                                 QStringLiteral("Parakeet / Hushframe laufen vollständig on-device. Audio verlässt "
                                                "deinen Rechner nur, wenn du Claude bewusst einsetzt."),
                                 step));
    layout->addSpacing(4);
    layout->addWidget(textLabel(QStringLiteral("Im nächsten Schritt erteilst du Mikrofon- und "
                                               "Bedienungshilfen-Berechtigung. Beides ist Pflicht, sonst hört "
                                               "OstrelVirorez nichts und kann den Text nicht einfügen."),
                                SystemTextStyle::callout, true, step));
    layout->addStretch(1);
    return step;
}

QWidget* OnboardingSheet::microphoneActions() {
    if (model_->micAuthorized()) return grantedLabel(nullptr);
    auto* actions = new QWidget;
    auto* layout = new ostreldesignkit::FlowLayout(actions, 8);
    layout->addWidget(plainButton(QStringLiteral("Mikrofon-Zugriff anfragen"), actions,
                                  [this] { model_->requestMicrophone(); }));
    layout->addWidget(plainButton(QStringLiteral("Systemeinstellungen öffnen"), actions,
                                  [this] { model_->openSystemSettings("Privacy_Microphone"); }));
    return actions;
}

QWidget* OnboardingSheet::accessibilityActions() {
    if (model_->accessibilityGranted()) return grantedLabel(nullptr);
    auto* actions = new QWidget;
    auto* layout = new ostreldesignkit::FlowLayout(actions, 8);
    layout->addWidget(plainButton(QStringLiteral("Bedienungshilfen anfragen"), actions,
                                  [this] { model_->requestAccessibility(); }));
    layout->addWidget(plainButton(QStringLiteral("Systemeinstellungen öffnen"), actions,
                                  [this] { model_->openSystemSettings("Privacy_Accessibility"); }));
    return actions;
}

QWidget* OnboardingSheet::makePermissionsStep() {
    auto* step = new QWidget;
    auto* layout = stack(step, 18);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->addWidget(permissionRow({"mic", QStringLiteral("Mikrofon"),
                                     QStringLiteral("Erforderlich, damit OstrelVirorez dein Diktat hören kann."),
                                     model_->micAuthorized(), model_->microphoneDeniedHint(), microphoneActions()},
                                    step));
    layout->addWidget(permissionRow({"hand.raised", QStringLiteral("Bedienungshilfen"),
                                     QStringLiteral("Erforderlich, damit OstrelVirorez Tastendrücke (Push-to-Talk) "
                                                    "erkennt und Text einfügen darf."),
                                     model_->accessibilityGranted(), std::nullopt, accessibilityActions()},
                                    step));
    auto* refreshLine = new QHBoxLayout;
    refreshLine->setContentsMargins(0, 4, 0, 0);
    refreshLine->addStretch(1);
    refreshLine->addWidget(
        plainButton(QStringLiteral("Status aktualisieren"), step, [this] { model_->refreshPermissions(); }));
    layout->addLayout(refreshLine);
    if (model_->showsPermissionTip()) {
        layout->addWidget(textLabel(QStringLiteral("Tipp: Du kannst trotzdem weiterklicken — die App fragt später "
                                                   "nochmal, sobald sie es braucht."),
                                    SystemTextStyle::caption, true, step));
    }
    layout->addStretch(1);
    return step;
}

QWidget* OnboardingSheet::makeEngineStep() {
    auto* step = new QWidget;
    auto* layout = stack(step, 16);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->addWidget(textLabel(QStringLiteral("Welche Sprach-Engine soll OstrelVirorez nutzen?"),
                                SystemTextStyle::headline, false, step));
    for (const EngineType engine : allEngineTypes) {
        const auto unavailable = OnboardingModel::engineUnavailableReason(engine);
        auto* card = new EngineCard(qt(OnboardingModel::engineName(engine)),
                                    qt(unavailable.value_or(OnboardingModel::engineDescription(engine))),
                                    model_->isEngineSelected(engine), step);
        card->setEnabled(!unavailable);
        connect(card, &QAbstractButton::clicked, this, [this, engine] { model_->chooseEngine(engine); });
        layout->addWidget(card);
    }
    layout->addSpacing(4);
    layout->addWidget(textLabel(QStringLiteral("Du kannst die Engine später in den Einstellungen jederzeit wechseln "
                                               "oder pro Profil-Bereich übersteuern."),
                                SystemTextStyle::caption, true, step));
    layout->addStretch(1);
    return step;
}

void OnboardingSheet::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        rightButton_->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace ostrelvirorez
