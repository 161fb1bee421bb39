#include "OstrelVirorez/UI/Indicator/MinimalIndicatorView.hpp"

#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/UI/Indicator/IndicatorAnimations.hpp"
#include "OstrelVirorez/UI/Indicator/IndicatorPlacement.hpp"
#include "OstrelVirorez/UI/Indicator/IndicatorStatus.hpp"
#include "OstrelVirorez/UI/Indicator/IndicatorText.hpp"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>

#include <cmath>

namespace ostrelvirorez {
namespace {

using ostreldesignkit::Color;

QFont messageFont() { return indicatorFont(12, QFont::Medium); }

void paintSymbolCircle(QPainter& painter, const QRectF& area, const QColor& color, bool check) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(area);
    painter.setPen(QPen(Qt::black, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const auto at = [&](double fx, double fy) { return area.topLeft() + QPointF(fx * area.width(), fy * area.height()); };
    if (check) {
        painter.drawPolyline(QList<QPointF>{at(0.28, 0.52), at(0.44, 0.68), at(0.72, 0.34)});
    } else {
        painter.drawLine(at(0.32, 0.32), at(0.68, 0.68));
        painter.drawLine(at(0.68, 0.32), at(0.32, 0.68));
    }
}

// `text` wrapped to at most two lines of `width`, the second cut off at its
// end with an ellipsis.
QString twoLines(const QString& text, const QFont& font, double width) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    QTextLine first = layout.createLine();
    if (!first.isValid()) {
        layout.endLayout();
        return text;
    }
    first.setLineWidth(width);
    layout.endLayout();
    const QString head = text.left(first.textLength());
    const QString rest = text.mid(first.textLength());
    if (rest.isEmpty()) return head;
    return head.trimmed() + QChar('\n') + QFontMetricsF(font).elidedText(rest, Qt::ElideRight, width);
}

QColor mixed(const QColor& from, const QColor& to, double t) {
    const auto mix = [t](double a, double b) { return a + (b - a) * t; };
    return QColor::fromRgbF(float(mix(from.redF(), to.redF())), float(mix(from.greenF(), to.greenF())),
                            float(mix(from.blueF(), to.blueF())), float(mix(from.alphaF(), to.alphaF())));
}

} // namespace

MinimalIndicatorView::MinimalIndicatorView(const DictationState& initial, PillPosition position, QWidget* parent)
    : QWidget(parent), model_(initial), previousState_(initial), position_(position) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(IndicatorPlacement::panelSize(IndicatorStyle::minimal).toSize());
}

void MinimalIndicatorView::animateWith(IndicatorAnimations& animations) {
    animations_ = &animations;
    animations_->setShape(targetShape(), MinimalIndicatorModel::shapeTiming, false);
    update();
}

void MinimalIndicatorView::retarget() {
    if (animations_ != nullptr) animations_->setShape(targetShape(), MinimalIndicatorModel::shapeTiming);
    update();
}

void MinimalIndicatorView::setState(const DictationState& state) {
    const DictationState before = model_.state();
    model_.stateChanged(state);
    if (!(before == state)) {
        previousState_ = before;
        if (animations_ != nullptr) animations_->crossFadeContent(MinimalIndicatorModel::shapeTiming.content);
    }
    retarget();
}

void MinimalIndicatorView::setLevel(double level) {
    level_ = level;
    update();
}

void MinimalIndicatorView::setTargetIcon(QImage icon) {
    targetIcon_ = std::move(icon);
    retarget();
}

void MinimalIndicatorView::setPillPosition(PillPosition position) {
    position_ = position;
    update();
}

void MinimalIndicatorView::setMotion(double pulse, double spinnerAngle) {
    pulse_ = pulse;
    spinnerAngle_ = spinnerAngle;
    update();
}

double MinimalIndicatorView::messageHeight() const { return 2 * QFontMetricsF(messageFont()).lineSpacing(); }

ShapeMeasures MinimalIndicatorView::targetShape() const {
    const QSizeF size = MinimalIndicatorModel::capsuleSize(model_.state(), !targetIcon_.isNull(), messageHeight());
    return {size.width(), size.height(), size.height() / 2};
}

ShapeMeasures MinimalIndicatorView::currentShape() const {
    return animations_ != nullptr ? animations_->shape() : targetShape();
}

QRectF MinimalIndicatorView::capsuleRect() const {
    const ShapeMeasures shape = currentShape();
    const double x = std::floor((width() - shape.width) / 2); // whole pixels keep the edges crisp
    const double y = MinimalIndicatorModel::alignsToBottom(position_) ? height() - shape.height : 0;
    return QRectF(x, y, shape.width, shape.height);
}

QRegion MinimalIndicatorView::visibleOutline() const {
    const double radius = currentShape().cornerRadius;
    QPainterPath shape;
    shape.addRoundedRect(capsuleRect(), radius, radius);
    return QRegion(shape.toFillPolygon().toPolygon());
}

void MinimalIndicatorView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF capsule = capsuleRect();
    const double blend = animations_ != nullptr ? animations_->contentBlend() : 1;
    const CapsuleLook before = MinimalIndicatorModel::look(previousState_);
    const CapsuleLook now = MinimalIndicatorModel::look(model_.state());
    const auto look = [blend](const QColor& from, const QColor& to) { return mixed(from, to, blend); };
    const double radius = currentShape().cornerRadius;
    QPainterPath shape;
    shape.addRoundedRect(capsule, radius, radius);
    painter.fillPath(shape.translated(0, CapsuleLook::shadowOffsetY), look(before.shadow, now.shadow));
    painter.fillPath(shape, look(before.fill, now.fill));
    painter.setPen(QPen(look(before.stroke, now.stroke), 1));
    painter.drawRoundedRect(capsule.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5, radius - 0.5);
    // While the capsule grows or shrinks, its content stays inside it.
    painter.setClipPath(shape);
    if (blend < 1) paintContent(painter, previousState_, capsule, 1 - blend);
    paintContent(painter, model_.state(), capsule, blend);
}

void MinimalIndicatorView::paintContent(QPainter& painter, const DictationState& state, const QRectF& capsule,
                                        double opacity) const {
    if (opacity <= 0) return;
    painter.setOpacity(opacity);
    const QRectF inner = capsule.marginsRemoved(MinimalIndicatorModel::padding(state));
    double x = inner.left();
    const double midY = inner.center().y();
    if (!targetIcon_.isNull() && MinimalIndicatorModel::showsTargetIcon(state)) {
        const QRectF iconRect(x, midY - MinimalIndicatorModel::iconSize / 2, MinimalIndicatorModel::iconSize,
                              MinimalIndicatorModel::iconSize);
        QPainterPath clip;
        clip.addRoundedRect(iconRect, 3, 3);
        painter.save();
        painter.setClipPath(clip, Qt::IntersectClip);
        painter.drawImage(iconRect, targetIcon_);
        painter.restore();
        x += MinimalIndicatorModel::iconSize + MinimalIndicatorModel::spacing;
    }
    switch (MinimalIndicatorModel::content(state)) {
    case MinimalContent::placeholder: return;
    case MinimalContent::recordingDot: {
        const QColor color = MinimalIndicatorModel::dotColor(state);
        const double size = MinimalIndicatorModel::dotDiameter * MinimalIndicatorModel::dotScale(level_);
        const QPointF centre(x + MinimalIndicatorModel::dotDiameter / 2, midY);
        const double pulse = pulse_.value_or(model_.dotPulse() ? 1 : 0);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Color::withOpacity(color, 0.2 + 0.6 * pulse));
        const double halo = size + 2 + 4 * pulse;
        painter.drawEllipse(centre, halo / 2, halo / 2);
        painter.setBrush(color);
        painter.drawEllipse(centre, size / 2, size / 2);
        return;
    }
    case MinimalContent::spinner: {
        const double s = MinimalIndicatorModel::spinnerSize;
        painter.save();
        painter.translate(x + s / 2, midY);
        painter.rotate(spinnerAngle_);
        painter.setPen(QPen(Qt::white, 1.5, Qt::SolidLine, Qt::RoundCap));
        painter.setBrush(Qt::NoBrush);
        painter.drawArc(QRectF(-s / 2 + 1, -s / 2 + 1, s - 2, s - 2), 90 * 16, 270 * 16);
        painter.restore();
        return;
    }
    case MinimalContent::checkmark: {
        const double s = MinimalIndicatorModel::symbolSize;
        paintSymbolCircle(painter, QRectF(inner.center().x() - s / 2, midY - s / 2, s, s),
                          IndicatorStatus::systemGreen(), true);
        return;
    }
    case MinimalContent::message: {
        const double s = MinimalIndicatorModel::symbolSize;
        paintSymbolCircle(painter, QRectF(x, midY - s / 2, s, s), Color::systemRed(), false);
        const QRectF textRect(x + s + MinimalIndicatorModel::spacing, inner.top(),
                              inner.right() - x - s - MinimalIndicatorModel::spacing, inner.height());
        painter.setFont(messageFont());
        painter.setPen(Color::withOpacity(Qt::white, 0.92));
        const QString text = QString::fromStdString(state.message().value_or(""));
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, twoLines(text, messageFont(), textRect.width()));
        return;
    }
    }
}

} // namespace ostrelvirorez
