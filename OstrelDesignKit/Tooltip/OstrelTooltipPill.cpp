#include "OstrelDesignKit/Tooltip/OstrelTooltipPill.hpp"

#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelDesignKit/Tokens/OstrelFontWeight.hpp"
#include "OstrelDesignKit/Tooltip/OstrelTooltipModel.hpp"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace ostreldesignkit {
namespace {

constexpr double cornerRadius = 6;

QLabel* line(const QString& text, OstrelFontWeight weight, const QColor& color, QWidget* parent) {
    auto* label = new QLabel(text, parent); // owned by the pill
    label->setFont(ostrelFont(12, weight));
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

} // namespace

QColor OstrelTooltipPill::fill() { return QColor::fromRgbF(0.17f, 0.17f, 0.18f); }

OstrelTooltipPill::OstrelTooltipPill(const QString& text, const std::optional<QString>& shortcut, QWidget* parent)
    : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setMaximumWidth(int(OstrelTooltipModel::maxPillWidth));
    auto* stack = new QVBoxLayout(this); // owned by the pill
    stack->setSpacing(2);
    stack->setContentsMargins(8, 4, 8, 4);
    stack->addWidget(line(text, OstrelFontWeight::medium, Color::withOpacity(Qt::white, 0.9), this));
    if (shortcut) stack->addWidget(line(*shortcut, OstrelFontWeight::regular, Color::ostrelTextTertiary(), this));
}

void OstrelTooltipPill::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.fillPath(shape, fill());
    painter.setPen(QPen(Color::withOpacity(Qt::white, 0.08), 1));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius - 0.5, cornerRadius - 0.5);
}

} // namespace ostreldesignkit
