#include "OstrelVirorez/UI/AppMenuController.hpp"

#include "OstrelVirorez/App/Log.hpp"
#include "OstrelVirorez/UI/MainMenuHost.hpp"
#include "OstrelVirorez/UI/NotificationCenter.hpp"
#include "OstrelVirorez/UI/StandardMenuAction.hpp"
#include "OstrelVirorez/UI/UpdaterController.hpp"
#include "OstrelVirorez/UI/WindowNotification.hpp"
#include "Platform/Concurrency/MainQueue.hpp"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QObject>

#include <algorithm>

namespace ostrelvirorez {
namespace {

const QString checkForUpdatesTitle = QStringLiteral("Auf Updates prüfen …");
const QString feedbackTitle = QStringLiteral("Feedback senden …");
const QString helpTitle = QStringLiteral("Hilfe");

bool hasEntryTitled(const QMenu& menu, const QString& title) {
    const auto entries = menu.actions();
    return std::any_of(entries.begin(), entries.end(), [&](const QAction* entry) { return entry->text() == title; });
}

bool startsWithAny(const QString& title, std::initializer_list<QString> prefixes) {
    return std::any_of(prefixes.begin(), prefixes.end(),
                       [&](const QString& prefix) { return title.startsWith(prefix); });
}

} // namespace

AppMenuController::AppMenuController(platform::MainQueue& mainQueue, MainMenuHost& menuHost,
                                     NotificationCenter& notifications)
    : mainQueue_(mainQueue),
      menuHost_(menuHost),
      notifications_(notifications),
      updaterController_(std::make_shared<UpdaterController>()),
      actionContext_(std::make_unique<QObject>()) {}

AppMenuController::~AppMenuController() {
    checkForUpdatesObserver_.disconnect();
    repairTask_.cancel();
}

void AppMenuController::start() {
    repairTask_.cancel();
    scheduleRepair(std::chrono::milliseconds::zero());

    mainQueue_.postAfter(updaterStartDelay, [updater = updaterController_] { updater->startUpdater(); });

    checkForUpdatesObserver_ = notifications_.observe(WindowNotification::checkForUpdatesRequested,
                                                      [this] { handleCheckForUpdatesNotification(); });
}

void AppMenuController::scheduleRepair(std::chrono::milliseconds delay) {
    // The handle is cancelled when the controller goes, so the pass never
    // outlives it.
    repairTask_ = mainQueue_.postAfter(delay, [this] { repairPass(); });
}

void AppMenuController::repairPass() {
    if (QMenuBar* mainMenu = menuHost_.mainMenu()) {
        const bool addedUpdates = ensureCheckForUpdatesItem(*mainMenu);
        const bool addedFeedback = ensureFeedbackItem(*mainMenu);
        if ((addedUpdates || addedFeedback) && !loggedFirstInstall_) {
            loggedFirstInstall_ = true;
            logVirorez("AppMenuController: menu items installed");
        }
    }
    scheduleRepair(repairInterval);
}

bool AppMenuController::ensureCheckForUpdatesItem(QMenuBar& mainMenu) {
    const auto entries = mainMenu.actions();
    if (entries.isEmpty()) return false;
    QMenu* applicationMenu = entries.first()->menu();
    if (applicationMenu == nullptr) return false;
    if (hasEntryTitled(*applicationMenu, checkForUpdatesTitle)) return false;
    const auto about = aboutItemIndex(*applicationMenu);
    if (!about) return false;

    auto* item = new QAction(checkForUpdatesTitle, applicationMenu);
    QObject::connect(item, &QAction::triggered, actionContext_.get(),
                     [updater = updaterController_] { updater->checkForUpdates(); });
    const auto items = applicationMenu->actions();
    const int position = std::min(static_cast<int>(items.size()), *about + 1);
    applicationMenu->insertAction(position < items.size() ? items.at(position) : nullptr, item);
    return true;
}

bool AppMenuController::ensureFeedbackItem(QMenuBar& mainMenu) {
    QMenu* helpMenu = existingHelpMenu(mainMenu);
    if (helpMenu == nullptr) helpMenu = makeHelpMenu(mainMenu);
    if (hasEntryTitled(*helpMenu, feedbackTitle)) return false;

    helpMenu->clear();
    QAction* item = helpMenu->addAction(feedbackTitle);
    item->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Question));
    QObject::connect(item, &QAction::triggered, actionContext_.get(), [this] { sendFeedback(); });
    return true;
}

std::optional<int> AppMenuController::aboutItemIndex(const QMenu& menu) {
    const auto entries = menu.actions();
    for (int index = 0; index < entries.size(); ++index) {
        if (StandardMenuAction::has(*entries.at(index), StandardMenuAction::about)) return index;
    }
    for (int index = 0; index < entries.size(); ++index) {
        if (startsWithAny(entries.at(index)->text(), {QStringLiteral("Über"), QStringLiteral("About")})) return index;
    }
    return std::nullopt;
}

QMenu* AppMenuController::existingHelpMenu(QMenuBar& mainMenu) const {
    const auto entries = mainMenu.actions();
    // A registered menu that has been dropped from a rebuilt main menu would
    // keep the feedback entry out of sight, so it only counts while present.
    if (QMenu* registered = menuHost_.registeredHelpMenu(); registered && entries.contains(registered->menuAction())) {
        return registered;
    }
    for (QAction* entry : entries) {
        if (startsWithAny(entry->text(), {helpTitle, QStringLiteral("Help")})) return entry->menu();
    }
    return nullptr;
}

QMenu* AppMenuController::makeHelpMenu(QMenuBar& mainMenu) {
    QMenu* menu = mainMenu.addMenu(helpTitle);
    menuHost_.registerHelpMenu(menu);
    return menu;
}

void AppMenuController::sendFeedback() {
    notifications_.post(WindowNotification::showFeedbackSheet);
}

void AppMenuController::handleCheckForUpdatesNotification() {
    mainQueue_.post([updater = updaterController_] { updater->checkForUpdates(); });
}

} // namespace ostrelvirorez
