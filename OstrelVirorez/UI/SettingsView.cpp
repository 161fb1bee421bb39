#include "OstrelVirorez/UI/SettingsView.hpp"

#include "OstrelDesignKit/Panel/OstrelFloatingPanel.hpp"
#include "OstrelDesignKit/Symbols/SymbolImage.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelDesignKit/Window/OstrelSplitShell.hpp"
#include "OstrelDesignKit/Window/OstrelTrafficLights.hpp"
#include "OstrelDesignKit/Window/OstrelTransparentWindow.hpp"
#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/UI/NotificationCenter.hpp"
#include "OstrelVirorez/UI/Settings/HoverTooltip.hpp"
#include "OstrelVirorez/UI/Settings/SettingsSheets.hpp"
#include "OstrelVirorez/UI/Settings/SettingsSidebarRow.hpp"
#include "OstrelVirorez/UI/Settings/SettingsStatusPanel.hpp"
#include "OstrelVirorez/UI/Settings/SettingsTabViews.hpp"
#include "OstrelVirorez/UI/WindowNotification.hpp"
#include "Platform/Defaults/UserDefaults.hpp"

#include <QDialog>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

namespace ostrelvirorez {
namespace {

using ostreldesignkit::Color;

// The window's own dark scheme, whatever the desktop's.
QPalette darkPalette(QPalette palette) {
    const QColor text = Color::primary();
    const QColor field = QColor(40, 40, 44);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::BrightText})
        palette.setColor(role, text);
    palette.setColor(QPalette::Window, Qt::transparent);
    palette.setColor(QPalette::Base, field);
    palette.setColor(QPalette::AlternateBase, field.lighter(115));
    palette.setColor(QPalette::Button, field);
    palette.setColor(QPalette::Highlight, Color::ostrelAccent());
    palette.setColor(QPalette::HighlightedText, text);
    palette.setColor(QPalette::PlaceholderText, Color::ostrelTextTertiary());
    palette.setColor(QPalette::ToolTipBase, field);
    palette.setColor(QPalette::ToolTipText, text);
    return palette;
}

QString sheetTitle(SettingsSheet sheet) {
    switch (sheet) {
    case SettingsSheet::feedback: return QStringLiteral("Feedback senden");
    case SettingsSheet::onboarding: return QStringLiteral("Willkommen bei OstrelVirorez");
    }
    return {};
}

} // namespace

SettingsView::SettingsView(const SettingsEnvironment& environment, QWidget* parent)
    : QWidget(parent),
      environment_(environment),
      model_(environment.settings),
      statusModel_(environment.appState, environment.settings, environment.permissions) {
    setPalette(darkPalette(palette()));
    setFixedSize(fixedSize);
    shell_ = new ostreldesignkit::OstrelSplitShell(model_.shellColors(), SettingsViewModel::minSidebarWidth,
                                                   SettingsViewModel::idealSidebarWidth,
                                                   SettingsViewModel::maxSidebarWidth, makeSidebar(), makeContent(),
                                                   this);
    makeOverlays();
    showTab();
    applyState();

    modelChanged_ = model_.changed().connect([this] { applyState(); });
    settingsChanged_ = environment_.settings.userDefaults().changed().connect(
        [this](const std::string&) { shell_->setColors(model_.shellColors()); });
    feedbackObserver_ = environment_.notifications.observe(WindowNotification::showFeedbackSheet,
                                                           [this] { presentSheet(SettingsSheet::feedback); });
    onboardingObserver_ = environment_.notifications.observe(WindowNotification::showOnboardingSheet,
                                                             [this] { presentSheet(SettingsSheet::onboarding); });
    ostreldesignkit::ostrelTransparentWindow(*this);
}

// The observers go first, so no notification reaches a half-destroyed view.
SettingsView::~SettingsView() {
    feedbackObserver_.disconnect();
    onboardingObserver_.disconnect();
    settingsChanged_.disconnect();
    modelChanged_.disconnect();
    if (sheetDialog_) {
        sheetDialog_->disconnect();
        delete sheetDialog_.data();
    }
}

QWidget* SettingsView::makeSidebar() {
    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->viewport()->setAutoFillBackground(false);
    auto* list = new QWidget;
    list->setAutoFillBackground(false);
    auto* stack = new QVBoxLayout(list); // owned by the list
    stack->setSpacing(2);
    // Room at the top for the window buttons floating above.
    stack->setContentsMargins(8, 40, 8, 8);
    for (const auto tab : allSettingsTabs) {
        auto* row = new SettingsSidebarRow(tab, tab == model_.selectedTab(), [this, tab] { model_.select(tab); }, list);
        rows_.push_back(row);
        stack->addWidget(row);
    }
    stack->addStretch(1);
    scroll->setWidget(list);
    return scroll;
}

QWidget* SettingsView::makeContent() {
    auto* content = new QWidget;
    contentRow_ = new QHBoxLayout(content);
    contentRow_->setContentsMargins(0, 0, 0, 0);
    contentRow_->setSpacing(0);
    tabHost_ = new QVBoxLayout;
    tabHost_->setContentsMargins(0, 0, 0, 0);
    contentRow_->addLayout(tabHost_, 1);
    return content;
}

void SettingsView::makeOverlays() {
    leadingOverlay_ = new QWidget(this);
    auto* buttons = new QHBoxLayout(leadingOverlay_); // owned by the overlay
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(12);
    trafficLights_ = new ostreldesignkit::OstrelTrafficLights(leadingOverlay_);
    buttons->addWidget(trafficLights_, 0, Qt::AlignVCenter);
    auto* toggle = new QToolButton(leadingOverlay_);
    toggle->setAutoRaise(true);
    toggle->setIcon(QIcon(QPixmap::fromImage(
        ostreldesignkit::SymbolImage::render("sidebar.leading", 13, Color::ostrelTextSecondary()))));
    QObject::connect(toggle, &QAbstractButton::clicked, this, [this] { model_.toggleSidebar(); });
    sidebarToggle_ = toggle;
    sidebarTooltip_ = new HoverTooltip(*toggle, model_.sidebarToggleHelp(), ostreldesignkit::TooltipEdge::bottom,
                                       environment_.mainQueue);
    buttons->addWidget(toggle, 0, Qt::AlignVCenter);
    leadingOverlay_->adjustSize();

    statusToggle_ = new ostreldesignkit::OstrelPanelToggleButton("waveform.path.ecg", model_.isStatusPanelOpen(),
                                                                 QStringLiteral("Status"), this);
    QObject::connect(statusToggle_, &QAbstractButton::clicked, this, [this] { model_.toggleStatusPanel(); });
    placeOverlays();
}

void SettingsView::placeOverlays() {
    shell_->setGeometry(rect());
    leadingOverlay_->move(24, 16);
    leadingOverlay_->raise();
    // At the tab's trailing edge, which the status panel does not move.
    statusToggle_->move(fixedSize.width() - 20 - statusToggle_->width(), 18);
    statusToggle_->raise();
}

void SettingsView::resizeEvent(QResizeEvent*) { placeOverlays(); }

void SettingsView::showTab() {
    if (tabView_) {
        tabHost_->removeWidget(tabView_);
        tabView_->hide();
        tabView_->deleteLater(); // the click that switched tabs may come from inside it
    }
    shownTab_ = model_.selectedTab();
    tabView_ = makeSettingsTabView(shownTab_, environment_).release();
    tabHost_->addWidget(tabView_);
    tabView_->show(); // at once, not on the layout's next turn
}

void SettingsView::applyState() {
    for (auto* row : rows_) row->setSelected(row->tab() == model_.selectedTab());
    if (shownTab_ != model_.selectedTab()) showTab();
    shell_->setSidebarCollapsed(model_.isSidebarCollapsed(), true);
    // Without the sidebar the window buttons float over the tab: it starts below them.
    tabHost_->setContentsMargins(0, model_.isSidebarCollapsed() ? collapsedTabTopInset : 0, 0, 0);
    sidebarTooltip_->setText(model_.sidebarToggleHelp());
    statusToggle_->setActive(model_.isStatusPanelOpen());
    openStatusPanel(model_.isStatusPanelOpen());
}

void SettingsView::openStatusPanel(bool open) {
    if (open == (statusPanel_ != nullptr)) return;
    // The panel opens beside the tab, which keeps its width: the window widens.
    setFixedSize(open ? fixedSize + QSize(statusPanelWidth + 8, 0) : fixedSize);
    if (!open) {
        contentRow_->removeWidget(statusPanel_);
        statusPanel_->hide();
        statusPanel_->deleteLater(); // its close button may be what closed it
        statusPanel_ = nullptr;
        return;
    }
    // A column at the trailing edge, 8 pt clear above, below and to the right.
    auto* column = new QWidget;
    column->setFixedWidth(statusPanelWidth + 8);
    auto* stack = new QVBoxLayout(column); // owned by the column
    stack->setContentsMargins(0, 8, 8, 8);
    auto* panel = new ostreldesignkit::OstrelFloatingPanel(QStringLiteral("Status"), std::string("waveform.path.ecg"),
                                                           {}, [this] { model_.closeStatusPanel(); }, column);
    panel->addContent(new SettingsStatusPanel(statusModel_));
    stack->addWidget(panel);
    statusPanel_ = column;
    contentRow_->addWidget(column);
    column->show();
}

void SettingsView::presentSheet(SettingsSheet sheet) {
    if (!model_.requestSheet(sheet)) return;
    if (sheetDialog_) sheetDialog_->close();
    QWidget* host = window();
    if (host != this && !host->isVisible()) {
        host->show();
        host->raise();
        host->activateWindow();
    }
    // A window-modal sheet over the settings window; the window's dark
    // scheme does not reach it.
    auto* dialog = new QDialog(host, Qt::Sheet);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setWindowTitle(sheetTitle(sheet));
    auto* layout = new QVBoxLayout(dialog); // owned by the dialog
    layout->setContentsMargins(0, 0, 0, 0);
    QPointer<QDialog> guard(dialog);
    layout->addWidget(makeSettingsSheet(
                          sheet, environment_,
                          [guard] {
                              if (guard) guard->close();
                          },
                          dialog)
                          .release());
    QObject::connect(dialog, &QDialog::finished, this, [this, sheet] { model_.sheetDismissed(sheet); });
    sheetDialog_ = dialog;
    dialog->show();
}

std::optional<SettingsSheet> SettingsView::presentedSheet() const {
    if (!sheetDialog_ || !sheetDialog_->isVisible()) return std::nullopt;
    return model_.shownSheet();
}

} // namespace ostrelvirorez
