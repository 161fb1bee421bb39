#include "OstrelDesignKit/Panel/OstrelFloatingPanel.hpp"

#include "OstrelDesignKit/Status/StatusWidgets.hpp"
#include "OstrelDesignKit/Symbols/SymbolImage.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>
#include <QVBoxLayout>

namespace ostreldesignkit {
namespace {

QAbstractButton* headerButton(const char* symbol, const QString& help, std::function<void()> action,
                              QWidget* parent) {
    auto* button = new QToolButton(parent); // owned by the panel
    button->setAutoRaise(true);
    button->setIcon(QIcon(QPixmap::fromImage(SymbolImage::render(symbol, 11, Color::ostrelTextTertiary()))));
    button->setToolTip(help);
    QObject::connect(button, &QAbstractButton::clicked, parent, [action = std::move(action)] { action(); });
    return button;
}

} // namespace

OstrelFloatingPanel::OstrelFloatingPanel(const QString& title, const std::optional<std::string>& icon,
                                         std::function<void()> onExpand, std::function<void()> onClose,
                                         QWidget* parent)
    : QWidget(parent) {
    auto* stack = new QVBoxLayout(this); // owned by this widget
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    auto* header = new QHBoxLayout;
    header->setSpacing(8);
    header->setContentsMargins(12, 12, 12, 8);
    if (icon) {
        auto* symbol = new QLabel(this);
        symbol->setPixmap(QPixmap::fromImage(SymbolImage::render(*icon, 12, Color::ostrelTextSecondary())));
        header->addWidget(symbol);
    }
    header->addWidget(new OstrelSectionHeader(title, this));
    header->addStretch(1);
    if (onExpand)
        header->addWidget(
            ostreldesignkit::headerButton("arrow.up.left.and.arrow.down.right", "Expand", std::move(onExpand), this));
    if (onClose) header->addWidget(ostreldesignkit::headerButton("xmark", "Close", std::move(onClose), this));
    stack->addLayout(header);
    content_ = new QVBoxLayout;
    content_->setContentsMargins(12, 0, 12, 12);
    content_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    stack->addLayout(content_);
    stack->addStretch(1); // header and content stay at the top
}

OstrelFloatingPanel::~OstrelFloatingPanel() = default;

void OstrelFloatingPanel::addContent(QWidget* child) { content_->addWidget(child); }

QAbstractButton* OstrelFloatingPanel::headerButton(const QString& help) const {
    for (auto* button : findChildren<QAbstractButton*>()) {
        if (button->toolTip() == help) return button;
    }
    return nullptr;
}

void OstrelFloatingPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath card;
    card.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.fillPath(card, Color::ostrelCardFill());
    painter.setPen(QPen(Color::withOpacity(Qt::white, 0.06), 1));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius - 0.5, cornerRadius - 0.5);
}

OstrelPanelToggleButton::OstrelPanelToggleButton(std::string icon, bool isActive, const QString& help,
                                                 QWidget* parent)
    : QAbstractButton(parent), icon_(std::move(icon)), isActive_(isActive) {
    setToolTip(help);
    setFixedSize(sizeHint());
}

void OstrelPanelToggleButton::setActive(bool active) {
    isActive_ = active;
    update();
}

QColor OstrelPanelToggleButton::symbolColor() const {
    return isActive_ ? Color::ostrelAccent() : Color::ostrelTextSecondary();
}

void OstrelPanelToggleButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int size = 13;
    painter.drawImage(QPointF((width() - size) / 2.0, (height() - size) / 2.0),
                      SymbolImage::render(icon_, size, symbolColor()));
}

} // namespace ostreldesignkit
