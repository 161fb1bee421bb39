#include "OstrelVirorez/UI/StatusBarController.hpp"

#include "OstrelDesignKit/Symbols/SymbolImage.hpp"
#include "OstrelVirorez/App/AppState.hpp"
#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/UI/ActivationPolicyState.hpp"
#include "OstrelVirorez/UI/NotificationCenter.hpp"
#include "OstrelVirorez/UI/SettingsView.hpp"
#include "OstrelVirorez/UI/SettingsWindow.hpp"
#include "OstrelVirorez/UI/WindowNotification.hpp"
#include "Platform/Concurrency/MainQueue.hpp"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QMenuBar>
#include <QMetaObject>

#include <utility>

namespace ostrelvirorez {
namespace {

constexpr auto initialSymbol = "mic";
constexpr auto accessibilityName = "OstrelVirorez";

} // namespace

StatusBarController::StatusBarController(platform::MainQueue& mainQueue, NotificationCenter& notifications,
                                         std::shared_ptr<ActivationPolicyState> activationPolicy,
                                         std::function<void()> quitApplication)
    : mainQueue_(mainQueue),
      notifications_(notifications),
      activationPolicy_(std::move(activationPolicy)),
      quitApplication_(std::move(quitApplication)),
      statusItem_(std::make_unique<QSystemTrayIcon>()) {
    // The status item is the program's presence; closing the settings window
    // must not end the program even while that window is the only one.
    QApplication::setQuitOnLastWindowClosed(false);

    setButtonImage(initialSymbol, accessibilityName);
    QObject::connect(statusItem_.get(), &QSystemTrayIcon::activated, statusItem_.get(),
                     [this](QSystemTrayIcon::ActivationReason reason) { statusItemClicked(reason); });
    statusItem_->show();

    // Whoever posts the notification, the window is touched only from a task
    // of the main queue.
    openSettingsObserver_ = notifications_.observe(
        WindowNotification::openSettingsWindow, [this, alive = std::weak_ptr<const bool>(alive_)] {
            mainQueue_.post([this, alive] {
                if (alive.lock()) showSettingsWindow();
            });
        });
    feedbackObserver_ =
        notifications_.observe(WindowNotification::showFeedbackSheet, [this] { feedbackSheetRequested(); });
    activationPolicyObserver_ = activationPolicy_->observe([this](ActivationPolicy) { applyActivationPolicy(); });
}

StatusBarController::~StatusBarController() {
    openSettingsObserver_.disconnect();
    feedbackObserver_.disconnect();
    activationPolicyObserver_.disconnect();
    quickMenu_.reset();
    settingsWindow_.reset();
}

void StatusBarController::setAppState(std::weak_ptr<AppState> appState) {
    appState_ = std::move(appState);
}

void StatusBarController::setButtonImage(const std::string& symbolName, const std::string& accessibilityDescription) {
    statusItem_->setIcon(ostreldesignkit::SymbolImage::icon(symbolName));
    statusItem_->setToolTip(QString::fromStdString(accessibilityDescription));
}

void StatusBarController::statusItemClicked(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Context) {
        showQuickMenu();
    } else {
        showSettingsWindow();
    }
}

void StatusBarController::showSettingsWindow() {
    if (settingsWindow_) {
        settingsWindow_->bringForward();
        return;
    }
    const auto state = appState_.lock();
    if (!state) return;
    const SettingsEnvironment environment{*state,
                                          state->settings(),
                                          notifications_,
                                          state->permissions(),
                                          mainQueue_,
                                          state->dictionaryService(),
                                          state->snippetService(),
                                          state->dictationHistoryStore()};
    settingsWindow_ = std::make_unique<SettingsWindow>(environment, quitApplication_);
    applyActivationPolicy();
    settingsWindow_->centreOnScreen();
    settingsWindow_->bringForward();
}

void StatusBarController::showQuickMenu() {
    quickMenu_ = makeQuickMenu();
    QMenu* menu = quickMenu_.get();
    // The menu is let go after the event that closed it, so an entry that
    // was chosen still exists while its action runs.
    QObject::connect(menu, &QMenu::aboutToHide, statusItem_.get(), [this, menu] {
        QMetaObject::invokeMethod(
            statusItem_.get(),
            [this, menu] {
                if (quickMenu_.get() == menu) quickMenu_.reset();
            },
            Qt::QueuedConnection);
    });
    menu->popup(QCursor::pos());
}

std::unique_ptr<QMenu> StatusBarController::makeQuickMenu() {
    auto menu = std::make_unique<QMenu>();
    QObject* context = statusItem_.get();
    QObject::connect(menu->addAction(QStringLiteral("Einstellungen …")), &QAction::triggered, context,
                     [this] { showSettingsWindow(); });
    menu->addSeparator();
    QObject::connect(menu->addAction(QStringLiteral("Auf Updates prüfen …")), &QAction::triggered, context,
                     [this] { quickMenuCheckForUpdates(); });
    menu->addSeparator();
    QObject::connect(menu->addAction(QStringLiteral("Beenden")), &QAction::triggered, context,
                     [this] { quitApplication_(); });
    return menu;
}

// An existing window answers the request itself. Before the first opening
// nothing would, and a feedback request (from the Help menu or elsewhere)
// would be lost; so the window is opened and the sheet shown on it.
void StatusBarController::feedbackSheetRequested() {
    if (settingsWindow_) return;
    showSettingsWindow();
    if (settingsWindow_) settingsWindow_->settingsView().presentSheet(SettingsSheet::feedback);
}

QMenuBar* StatusBarController::mainMenu() const {
    return settingsWindow_ ? settingsWindow_->menuBar() : nullptr;
}

void StatusBarController::quickMenuCheckForUpdates() {
    notifications_.post(WindowNotification::checkForUpdatesRequested);
}

void StatusBarController::applyActivationPolicy() {
    if (!settingsWindow_) return;
    settingsWindow_->setShowsTaskbarEntry(activationPolicy_->policy() == ActivationPolicy::regular);
}

} // namespace ostrelvirorez
