#include "OstrelVirorez/UI/Settings/SettingsSidebarRow.hpp"

#include "OstrelDesignKit/Symbols/SymbolImage.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelDesignKit/Tokens/OstrelFontWeight.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

#include <string>

namespace ostrelvirorez {
namespace {

using ostreldesignkit::Color;

// The tab's symbol centred on an accent tile.
class IconTile final : public QWidget {
public:
    IconTile(std::string symbol, QWidget* parent) : QWidget(parent), symbol_(std::move(symbol)) {
        setFixedSize(SettingsSidebarRow::tileSize, SettingsSidebarRow::tileSize);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath tile;
        tile.addRoundedRect(QRectF(rect()), SettingsSidebarRow::cornerRadius, SettingsSidebarRow::cornerRadius);
        painter.fillPath(tile, Color::withOpacity(Color::ostrelAccent(), 0.2));
        const int size = 14;
        painter.drawImage(QPointF((width() - size) / 2.0, (height() - size) / 2.0),
                          ostreldesignkit::SymbolImage::render(symbol_, size, Color::ostrelAccent()));
    }

private:
    std::string symbol_;
};

} // namespace

SettingsSidebarRow::SettingsSidebarRow(SettingsTab tab, bool isSelected, std::function<void()> action,
                                       QWidget* parent)
    : QAbstractButton(parent), tab_(tab), isSelected_(isSelected) {
    const QString text = QString::fromUtf8(title(tab).data(), qsizetype(title(tab).size()));
    setText(text);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* row = new QHBoxLayout(this); // owned by this widget
    row->setContentsMargins(8, 4, 8, 4);
    row->setSpacing(8);
    row->addWidget(new IconTile(std::string(symbol(tab)), this));
    title_ = new QLabel(text, this);
    title_->setFont(ostreldesignkit::ostrelFont(15, ostreldesignkit::OstrelFontWeight::regular));
    title_->setAttribute(Qt::WA_TransparentForMouseEvents);
    row->addWidget(title_);
    row->addSpacing(8);
    row->addStretch(1);
    QObject::connect(this, &QAbstractButton::clicked, this, [action = std::move(action)] { action(); });
}

void SettingsSidebarRow::setSelected(bool selected) {
    if (selected == isSelected_) return;
    isSelected_ = selected;
    update();
}

std::optional<QColor> SettingsSidebarRow::background(bool isSelected, bool isHovering) {
    if (isSelected) return Color::ostrelSelection();
    if (isHovering) return Color::ostrelHover();
    return std::nullopt;
}

void SettingsSidebarRow::paintEvent(QPaintEvent*) {
    const auto fill = background(isSelected_, isHovering_);
    if (!fill) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.fillPath(shape, *fill);
}

void SettingsSidebarRow::enterEvent(QEnterEvent*) { setHovering(true); }
void SettingsSidebarRow::leaveEvent(QEvent*) { setHovering(false); }

void SettingsSidebarRow::setHovering(bool hovering) {
    isHovering_ = hovering;
    update();
}

} // namespace ostrelvirorez
