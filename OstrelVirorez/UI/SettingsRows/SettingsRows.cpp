#include "OstrelVirorez/UI/SettingsRows/SettingsRows.hpp"

#include "OstrelDesignKit/Glass/ButtonLabel.hpp"
#include "OstrelDesignKit/Glass/GlassFrame.hpp"
#include "OstrelDesignKit/Status/StatusWidgets.hpp"
#include "OstrelDesignKit/Symbols/SymbolImage.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelDesignKit/Tokens/OstrelFontWeight.hpp"
#include "OstrelVirorez/UI/SettingsRows/SettingsRowStyles.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <utility>

namespace ostrelvirorez {
namespace {

using ostreldesignkit::Color;
using ostreldesignkit::OstrelFontWeight;
using M = SettingsRowMetrics;

void setTextColor(QWidget& widget, const QColor& color) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, color);
    widget.setPalette(palette);
}

} // namespace

OstrelSection::OstrelSection(const QString& title, QWidget* parent) : QWidget(parent) {
    auto* stack = new QVBoxLayout(this); // owned by this widget
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(int(M::sectionSpacing));
    auto* header = new ostreldesignkit::OstrelSectionHeader(title, this);
    header->setContentsMargins(int(M::sectionHeaderInset), 0, 0, 0);
    stack->addWidget(header);
    card_ = new ostreldesignkit::GlassFrame(
        ostreldesignkit::GlassBackground::regular(M::cardCornerRadius, M::cardOpacity), this);
    content_ = new QVBoxLayout(card_);
    const int pad = int(M::cardPadding);
    content_->setContentsMargins(pad, pad, pad, pad);
    content_->setSpacing(0);
    stack->addWidget(card_);
}

void OstrelSection::addContent(QWidget* child) { content_->addWidget(child); }

OstrelRow::OstrelRow(const QString& title, const std::optional<std::string>& icon, QWidget* control, QWidget* parent)
    : QWidget(parent) {
    auto* row = new QHBoxLayout(this); // owned by this widget
    row->setSpacing(int(M::spacing));
    row->setContentsMargins(0, int(M::verticalPadding), 0, int(M::verticalPadding));
    if (icon) {
        auto* symbol = new QLabel(this);
        symbol->setPixmap(QPixmap::fromImage(
            ostreldesignkit::SymbolImage::render(*icon, 14, Color::ostrelTextSecondary())));
        symbol->setAlignment(Qt::AlignCenter);
        symbol->setFixedWidth(int(M::iconColumnWidth));
        row->addWidget(symbol);
    }
    auto* label = new QLabel(title, this);
    label->setFont(ostreldesignkit::ostrelFont(M::titleSize, OstrelFontWeight::regular));
    // In a narrow pane a long title takes a second line instead of pushing
    // the control out of the card.
    label->setWordWrap(true);
    title_ = label;
    // The title takes the free room itself, so it wraps only when the row is truly narrow.
    row->addWidget(label, 1);
    if (control) row->addWidget(control);
}

OstrelSwitch::OstrelSwitch(QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    setFixedSize(sizeHint());
}

void OstrelSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track(rect());
    const double radius = track.height() / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(isChecked() ? Color::ostrelAccent() : Color::withOpacity(Qt::white, 0.2));
    painter.drawRoundedRect(track, radius, radius);
    const double knob = track.height() - 4;
    const double x = isChecked() ? track.right() - 2 - knob : track.left() + 2;
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(x, 2, knob, knob));
}

OstrelToggleRow::OstrelToggleRow(const QString& title, const std::optional<std::string>& icon, bool isOn,
                                 QWidget* parent)
    : QWidget(parent), switch_(new OstrelSwitch) {
    switch_->setChecked(isOn);
    auto* layout = new QVBoxLayout(this); // owned by this widget
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new OstrelRow(title, icon, switch_, this));
}

VirorezStatusDot::VirorezStatusDot(bool active, const QString& label, QWidget* parent) : QWidget(parent) {
    const QColor color = statusDotColor(active);
    auto* row = new QHBoxLayout(this); // owned by this widget
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    row->addWidget(new ostreldesignkit::OstrelStatusDotWidget({color, 8, true}, this));
    auto* text = new QLabel(label, this);
    text->setFont(ostreldesignkit::ostrelFont(12, OstrelFontWeight::medium));
    setTextColor(*text, color);
    row->addWidget(text);
}

OstrelAppDivider::OstrelAppDivider(QWidget* parent) : QWidget(parent) {
    setFixedHeight(int(2 * M::dividerPadding + 1));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void OstrelAppDivider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(QRectF(0, M::dividerPadding, width(), 1), Color::ostrelDivider());
}

OstrelDestructiveButton::OstrelDestructiveButton(const QString& text, QWidget* parent) : QAbstractButton(parent) {
    setText(text);
    setFont(ostreldesignkit::ostrelFont(14, OstrelFontWeight::medium));
}

void OstrelDestructiveButton::setSymbol(std::string symbol) {
    symbol_ = std::move(symbol);
    updateGeometry();
    update();
}

QSize OstrelDestructiveButton::sizeHint() const {
    return ostreldesignkit::ButtonLabel{text(), symbol_}.sizeHint(font(), OstrelDestructiveButtonStyle::padding());
}

void OstrelDestructiveButton::paintEvent(QPaintEvent*) {
    const auto look = OstrelDestructiveButtonStyle::look(isDown());
    QPainter painter(this);
    painter.setOpacity(look.opacity);
    look.paintBackground(painter, QRectF(rect()));
    ostreldesignkit::ButtonLabel{text(), symbol_}.paint(painter, QRectF(rect()), font(),
                                                        OstrelDestructiveButtonStyle::padding(),
                                                        palette().color(QPalette::ButtonText));
}

} // namespace ostrelvirorez
