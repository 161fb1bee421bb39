#include "OstrelVirorez/UI/IndicatorPanel.hpp"

#include <QCursor>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>

namespace ostrelvirorez {
namespace {

constexpr int topMargin = 12;

} // namespace

IndicatorPanel::IndicatorPanel(IndicatorStyle style) : style_(style), label_(new QLabel(this)) {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus |
                   Qt::WindowTransparentForInput);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(14, 6, 14, 6);
    layout->addWidget(label_);
}

void IndicatorPanel::setText(const QString& text) {
    label_->setText(text);
    adjustSize();
}

QString IndicatorPanel::text() const {
    return label_->text();
}

void IndicatorPanel::present() {
    adjustSize();
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        const QRect area = screen->availableGeometry();
        move(area.center().x() - width() / 2, area.top() + topMargin);
    }
    show();
}

} // namespace ostrelvirorez
