#include "OstrelVirorez/UI/ApplicationMenu.hpp"

#include "OstrelVirorez/UI/NotificationCenter.hpp"
#include "OstrelVirorez/UI/StandardMenuAction.hpp"
#include "OstrelVirorez/UI/WindowNotification.hpp"

#include <QAction>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

#include <utility>

namespace ostrelvirorez {
namespace {

void showAboutBox(QMainWindow& window) {
    auto* box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Über OstrelVirorez"),
                                QStringLiteral("OstrelVirorez"), QMessageBox::Ok, &window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

} // namespace

void installApplicationMenu(QMainWindow& window, NotificationCenter& notifications,
                            std::function<void()> quitApplication) {
    QMenu* menu = window.menuBar()->addMenu(QStringLiteral("OstrelVirorez"));

    QAction* about = menu->addAction(QStringLiteral("Über OstrelVirorez"));
    StandardMenuAction::mark(*about, StandardMenuAction::about);
    QObject::connect(about, &QAction::triggered, &window, [&window] { showAboutBox(window); });

    menu->addSeparator();
    QAction* settings = menu->addAction(QStringLiteral("Einstellungen …"));
    settings->setShortcut(QKeySequence::Preferences);
    QObject::connect(settings, &QAction::triggered, &window,
                     [&notifications] { notifications.post(WindowNotification::openSettingsWindow); });

    menu->addSeparator();
    QAction* quit = menu->addAction(QStringLiteral("OstrelVirorez beenden"));
    quit->setShortcut(QKeySequence::Quit);
    QObject::connect(quit, &QAction::triggered, &window, [quitApplication = std::move(quitApplication)] {
        quitApplication();
    });
}

} // namespace ostrelvirorez
