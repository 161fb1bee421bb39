#include "OstrelVirorez/UI/SettingsWindow.hpp"

#include "OstrelVirorez/UI/ApplicationMenu.hpp"
#include "OstrelVirorez/UI/SettingsView.hpp"

#include <QCursor>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>

#include <utility>

namespace ostrelvirorez {

SettingsWindow::SettingsWindow(NotificationCenter& notifications, std::function<void()> quitApplication)
    : view_(new SettingsView(notifications, this)) {
    setWindowTitle(QStringLiteral("OstrelVirorez"));
    view_->setFixedSize(contentSize);
    setCentralWidget(view_);
    installApplicationMenu(*this, notifications, std::move(quitApplication));
    // The window takes exactly the size its menu bar and the fixed view need.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    applyWindowFlags();
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

} // namespace ostrelvirorez
