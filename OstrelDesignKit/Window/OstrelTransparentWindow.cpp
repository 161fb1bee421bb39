#include "OstrelDesignKit/Window/OstrelTransparentWindow.hpp"

#include <QPalette>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace ostreldesignkit {

void makeWindowTransparent(QWidget& window, std::optional<QSize> minSize) {
    if (minSize) window.setMinimumSize(*minSize);
    const bool alreadyTransparent = window.testAttribute(Qt::WA_TranslucentBackground) &&
                                    window.windowFlags().testFlag(Qt::FramelessWindowHint);
    if (alreadyTransparent) return;
    const bool wasVisible = window.isVisible();
    const QPoint position = window.pos();
    window.setAttribute(Qt::WA_TranslucentBackground);
    window.setAutoFillBackground(false);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, Qt::transparent);
    window.setPalette(palette);
    // A frameless window has neither title nor the three standard buttons;
    // the hints that ask for them would override it, so they go.
    const Qt::WindowFlags decoration = Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                       Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint |
                                       Qt::WindowContextHelpButtonHint;
    window.setWindowFlags((window.windowFlags() & ~decoration) | Qt::FramelessWindowHint);
    // New flags take a window off screen; put it back where it was.
    if (wasVisible) {
        window.move(position);
        window.show();
    }
}

void ostrelTransparentWindow(QWidget& content, std::optional<QSize> minSize) {
    QTimer::singleShot(0, &content, [guard = QPointer<QWidget>(&content), minSize] {
        if (!guard || guard->isWindow()) return;
        makeWindowTransparent(*guard->window(), minSize);
    });
}

} // namespace ostreldesignkit
