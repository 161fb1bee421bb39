#include "OstrelVirorez/UI/Onboarding/OnboardingParts.hpp"

#include "OstrelDesignKit/Symbols/SymbolImage.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/UI/Onboarding/SystemTextStyle.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace ostrelvirorez {
namespace {

using namespace sheetstyle;

using ostreldesignkit::Color;

constexpr double dotSize = 8;
constexpr double dotSpacing = 6;
constexpr double cardRadius = 10;

QColor secondaryAt(double opacity) {
    QColor color = secondaryColor();
    color.setAlphaF(float(opacity * color.alphaF()));
    return color;
}

QLabel* symbolLabel(const char* name, int size, const QColor& color, int frameWidth, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setPixmap(QPixmap::fromImage(ostreldesignkit::SymbolImage::render(name, size, color)));
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setFixedWidth(frameWidth);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

} // namespace

StepDots::StepDots(int count, QWidget* parent) : QWidget(parent), count_(count) {
    setFixedSize(sizeHint());
}

void StepDots::setHighlighted(int index) {
    highlighted_ = index;
    update();
}

QPointF StepDots::dotCentre(int index) const {
    return {dotSize / 2 + index * (dotSize + dotSpacing), dotSize / 2};
}

QSize StepDots::sizeHint() const {
    const double width = count_ * dotSize + std::max(0, count_ - 1) * dotSpacing;
    return {int(width), int(dotSize)};
}

void StepDots::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (int index = 0; index < count_; ++index) {
        painter.setBrush(index == highlighted_ ? Color::cyanElectric() : secondaryAt(0.3));
        painter.drawEllipse(dotCentre(index), dotSize / 2, dotSize / 2);
    }
}

SheetGroupPanel::SheetGroupPanel(QWidget* parent) : QWidget(parent) {}

void SheetGroupPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(secondaryAt(0.08));
    painter.drawRoundedRect(QRectF(rect()), cardRadius, cardRadius);
}

EngineCard::EngineCard(const QString& name, const QString& description, bool selected, QWidget* parent)
    : QAbstractButton(parent), selected_(selected) {
    setText(name);
    setCursor(Qt::PointingHandCursor);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 12, 12, 12);
    row->setSpacing(12);
    const QColor symbolColor = selected ? Color::cyanElectric() : secondaryColor();
    row->addWidget(symbolLabel(selected ? "largecircle.fill.circle" : "circle", 18, symbolColor, 20, this),
                   0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    auto* title = new QLabel(name, this);
    applySystemTextStyle(*title, SystemTextStyle::headline);
    auto* detail = new QLabel(description, this);
    detail->setWordWrap(true);
    applySystemTextStyle(*detail, SystemTextStyle::callout, true);
    for (QLabel* label : {title, detail}) {
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        texts->addWidget(label);
    }
    row->addLayout(texts, 1);
}

void EngineCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // An engine that cannot run here is drawn faded.
    if (!isEnabled()) painter.setOpacity(0.45);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area(rect());
    painter.setPen(Qt::NoPen);
    painter.setBrush(selected_ ? Color::withOpacity(Color::cyanElectric(), 0.12) : secondaryAt(0.08));
    painter.drawRoundedRect(area, cardRadius, cardRadius);
    if (selected_) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Color::withOpacity(Color::cyanElectric(), 0.6), 1));
        const QRectF inner = area.adjusted(0.5, 0.5, -0.5, -0.5);
        painter.drawRoundedRect(inner, cardRadius - 0.5, cardRadius - 0.5);
    }
}

} // namespace ostrelvirorez
