#include "OstrelVirorez/UI/SettingsWindow.hpp"

#include "OstrelDesignKit/Window/OstrelHudBackground.hpp"
#include "OstrelDesignKit/Window/OstrelTransparentWindow.hpp"
#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/UI/ApplicationMenu.hpp"
#include "OstrelVirorez/UI/SettingsView.hpp"
#include "Platform/Defaults/UserDefaults.hpp"

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <utility>

namespace ostrelvirorez {

SettingsWindow::SettingsWindow(const SettingsEnvironment& environment, std::function<void()> quitApplication)
    : view_(new SettingsView(environment, this)) {
    setWindowTitle(QStringLiteral("OstrelVirorez"));
    setCentralWidget(view_);
    installApplicationMenu(*this, environment.notifications, std::move(quitApplication));
    // The menu bar lies on the window's own translucent background.
    menuBar()->setPalette(view_->palette());
    menuBar()->setAutoFillBackground(false);
    keepMenuOffTheView();
    // The window takes exactly the size its menu bar and the fixed view need.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    applyWindowFlags();
    // Before the window is first shown, so it never appears with a frame.
    ostreldesignkit::makeWindowTransparent(*this);
    settingsChanged_ = environment.settings.userDefaults().changed().connect([this](const std::string&) { update(); });
}

SettingsWindow::~SettingsWindow() { settingsChanged_.disconnect(); }

void SettingsWindow::keepMenuOffTheView() {
    // A desktop-wide menu bar shows the menus elsewhere. Without one, a strip
    // above the view would make the window taller than its fixed size and push
    // the kit's window buttons down; the strip stays hidden and the menus'
    // shortcuts work on the window itself.
    if (menuBar()->platformMenuBar() != nullptr) return;
    menuBar()->hide();
    for (QAction* menu : menuBar()->actions()) {
        if (menu->menu() != nullptr) addActions(menu->menu()->actions());
    }
}

void SettingsWindow::setShowsTaskbarEntry(bool shows) {
    if (shows == showsTaskbarEntry_) return;
    showsTaskbarEntry_ = shows;
    const bool visible = isVisible();
    const QPoint position = pos();
    applyWindowFlags();
    // Changing the flags takes the window off screen; put it back where it was.
    if (visible) {
        move(position);
        show();
    }
}

void SettingsWindow::applyWindowFlags() {
    const Qt::WindowFlags type = showsTaskbarEntry_ ? Qt::Window : Qt::Tool;
    // Once transparent, the window stays frameless: the kit's buttons close it.
    if (windowFlags().testFlag(Qt::FramelessWindowHint)) {
        setWindowFlags(type | Qt::FramelessWindowHint);
        return;
    }
    setWindowFlags(type | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

void SettingsWindow::centreOnScreen() {
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    // The style's polish may still change the size; settle it before measuring.
    ensurePolished();
    layout()->activate();
    adjustSize();
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

void SettingsWindow::bringForward() {
    show();
    raise();
    activateWindow();
}

void SettingsWindow::paintEvent(QPaintEvent*) {
    // The view draws its own background; the menu bar above it gets the same.
    if (!menuBar()->isVisible()) return;
    const auto colors = view_->model().shellColors();
    QPainter painter(this);
    ostreldesignkit::OstrelHudBackground{colors.baseColor, colors.baseOpacity}.paint(painter,
                                                                                     QRectF(menuBar()->geometry()));
}

void SettingsWindow::mousePressEvent(QMouseEvent* event) {
    // Without a title bar, any part of the window that takes no clicks itself
    // moves it.
    if (event->button() == Qt::LeftButton && windowHandle() != nullptr && windowHandle()->startSystemMove()) {
        event->accept();
        return;
    }
    QMainWindow::mousePressEvent(event);
}

} // namespace ostrelvirorez
