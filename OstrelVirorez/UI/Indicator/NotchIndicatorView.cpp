#include "OstrelVirorez/UI/Indicator/NotchIndicatorView.hpp"

#include "OstrelDesignKit/Symbols/SymbolImage.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/UI/Indicator/GlowBorder.hpp"
#include "OstrelVirorez/UI/Indicator/IndicatorAnimations.hpp"
#include "OstrelVirorez/UI/Indicator/IndicatorPlacement.hpp"
#include "OstrelVirorez/UI/Indicator/IndicatorStatus.hpp"
#include "OstrelVirorez/UI/Indicator/IndicatorText.hpp"
#include "OstrelVirorez/UI/Indicator/NotchShape.hpp"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <utility>

namespace ostrelvirorez {
namespace {

using ostreldesignkit::Color;

void paintMark(QPainter& painter, QPointF centre, double size, const QColor& color, bool filled, bool check) {
    const QRectF area(centre - QPointF(size / 2, size / 2), QSizeF(size, size));
    const auto at = [&](double fx, double fy) { return area.topLeft() + QPointF(fx * size, fy * size); };
    if (filled) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawEllipse(area);
    }
    painter.setPen(QPen(filled ? QColor(Qt::black) : color, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    if (check) {
        painter.drawPolyline(QList<QPointF>{at(0.25, 0.52), at(0.43, 0.7), at(0.75, 0.32)});
    } else {
        painter.drawLine(at(0.3, 0.3), at(0.7, 0.7));
        painter.drawLine(at(0.7, 0.3), at(0.3, 0.7));
    }
}

QRectF unrolled(const QRectF& shape, double open) {
    // Opening unrolls the shape from the top edge: closed, 0.1 % of it shows.
    return QRectF(shape.left(), shape.top(), shape.width(), shape.height() * (0.001 + 0.999 * std::clamp(open, 0.0, 1.0)));
}

} // namespace

NotchIndicatorView::NotchIndicatorView(const NotchGeometry& geometry, const DictationState& initial, QWidget* parent)
    : QWidget(parent), geometry_(geometry), model_(initial), previousState_(initial) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(IndicatorPlacement::panelSize(IndicatorStyle::notch).toSize());
}

void NotchIndicatorView::animateWith(IndicatorAnimations& animations) {
    animations_ = &animations;
    animations_->setShape(targetShape(), NotchIndicatorModel::shapeTiming, false);
    update();
}

void NotchIndicatorView::retarget() {
    if (animations_ != nullptr) animations_->setShape(targetShape(), NotchIndicatorModel::shapeTiming);
    update();
}

void NotchIndicatorView::setState(const DictationState& state) {
    const DictationState before = model_.state();
    model_.stateChanged(state);
    if (!(before == state)) {
        previousState_ = before;
        if (animations_ != nullptr) animations_->crossFadeContent(NotchIndicatorModel::shapeTiming.content);
    }
    retarget();
}

void NotchIndicatorView::setLevel(double level) {
    level_ = level;
    update();
}

void NotchIndicatorView::setTextFeedback(bool on) {
    textFeedback_ = on;
    retarget();
}

void NotchIndicatorView::setLiveTranscript(bool active, QString preview) {
    transcriptActive_ = active;
    preview_ = std::move(preview);
    retarget();
}

void NotchIndicatorView::setTargetIcon(QImage icon) {
    targetIcon_ = std::move(icon);
    update();
}

void NotchIndicatorView::setMotion(double pulse, double breath, double openness, double spinnerAngle) {
    pulse_ = pulse;
    breath_ = breath;
    openness_ = openness;
    spinnerAngle_ = spinnerAngle;
    // The geometry may have been measured on another display since.
    retarget();
}

ShapeMeasures NotchIndicatorView::targetShape() const {
    const DictationState& state = model_.state();
    double h = geometry_.notchHeight();
    if (transcriptActive_) h += NotchIndicatorModel::transcriptHeight;
    if (NotchIndicatorModel::hasFeedback(state, textFeedback_)) h += NotchIndicatorModel::feedbackHeight;
    return {NotchIndicatorModel::width(geometry_, state, textFeedback_), h,
            NotchIndicatorModel::cornerRadius(state, textFeedback_)};
}

ShapeMeasures NotchIndicatorView::currentShape() const {
    return animations_ != nullptr ? animations_->shape() : targetShape();
}

double NotchIndicatorView::openness() const { return openness_.value_or(geometry_.isPresented() ? 1 : 0); }

double NotchIndicatorView::contentBlend() const { return animations_ != nullptr ? animations_->contentBlend() : 1; }

QRectF NotchIndicatorView::shapeRect() const {
    const ShapeMeasures shape = currentShape();
    return QRectF(std::floor((width() - shape.width) / 2), 0, shape.width, shape.height);
}

double NotchIndicatorView::cornerRadius() const { return currentShape().cornerRadius; }

QRegion NotchIndicatorView::visibleOutline() const {
    const double open = openness();
    if (open <= 0) return {};
    const QRectF shape = shapeRect();
    QPainterPath shown;
    shown.addRect(unrolled(shape, open));
    const QPainterPath outline = NotchShape{cornerRadius(), 0}.path(shape).intersected(shown);
    return QRegion(outline.toFillPolygon().toPolygon());
}

void NotchIndicatorView::paintEvent(QPaintEvent*) {
    const double open = openness();
    if (open <= 0) return;
    const QRectF shape = shapeRect();
    const double radius = cornerRadius();
    const double fade = std::min(open, 1.0);
    const double blend = contentBlend();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paintGlow(painter, shape, radius, fade, blend);

    painter.setOpacity(fade);
    const QPainterPath outline = NotchShape{radius, 0}.path(shape);
    painter.setClipRect(unrolled(shape, open));
    painter.fillPath(outline, Qt::black);
    painter.setClipPath(outline, Qt::IntersectClip);
    if (blend < 1) paintContent(painter, previousState_, shape, fade * (1 - blend));
    paintContent(painter, model_.state(), shape, fade * blend);

    if (transcriptActive_) {
        const QRectF text(shape.left() + 24, geometry_.notchHeight() + 6, shape.width() - 48, 30);
        painter.setOpacity(fade);
        painter.setFont(indicatorFont(12));
        painter.setPen(Color::withOpacity(Qt::white, 0.85));
        // The newest words stay visible: the start gives way to an ellipsis.
        const QString shown = QFontMetricsF(painter.font()).elidedText(preview_, Qt::ElideLeft, text.width() * 2 - 12);
        painter.drawText(text, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, shown);
    }
}

// The glow fades in with a recording's content and out with it; its outline
// keeps its distance from the shape's, corners included.
void NotchIndicatorView::paintGlow(QPainter& painter, const QRectF& shape, double radius, double fade,
                                   double blend) const {
    const double outset = NotchIndicatorModel::glowOutset;
    const QRectF around = shape.adjusted(-outset, -outset, outset, outset);
    for (const auto& [state, weight] : {std::pair{previousState_, blend < 1 ? 1 - blend : 0.0},
                                        std::pair{model_.state(), blend}}) {
        if (!NotchIndicatorModel::showsGlow(state) || weight <= 0) continue;
        painter.setOpacity(fade * weight);
        GlowBorder{float(level_), IndicatorStatus::stateColor(state), radius + outset, breath_.value_or(1)}.paint(
            painter, around);
    }
}

void NotchIndicatorView::paintContent(QPainter& painter, const DictationState& state, const QRectF& shape,
                                      double opacity) const {
    if (opacity <= 0) return;
    painter.setOpacity(opacity);
    const double earY = geometry_.notchHeight() / 2;
    paintEar(painter, state, NotchIndicatorModel::leftEar(state), QPointF(shape.left() + 20 + 7, earY));
    paintEar(painter, state, NotchIndicatorModel::rightEar(state),
             QPointF(shape.right() - NotchIndicatorModel::rightEarPadding(geometry_) - 7, earY));
    if (NotchIndicatorModel::hasFeedback(state, textFeedback_)) {
        double y = geometry_.notchHeight();
        if (transcriptActive_) y += NotchIndicatorModel::transcriptHeight;
        paintFeedback(painter, state, QRectF(shape.left() + 24, y, shape.width() - 48, NotchIndicatorModel::feedbackHeight));
    }
}

void NotchIndicatorView::paintEar(QPainter& painter, const DictationState& state, EarContent content,
                                  QPointF centre) const {
    const QColor stateColor = IndicatorStatus::stateColor(state);
    const double pulse = pulse_.value_or(model_.dotPulse() ? 1 : 0);
    const auto dot = [&] {
        // Pulsed, the dot is 1.3 times larger with a brighter, wider glow.
        const double size = 6 * ((1 + 0.3 * pulse) + 0.8 * level_);
        const double shadowOpacity = 0.25 + 0.75 * pulse;
        const double shadowRadius = 2 + 8 * pulse;
        painter.setPen(Qt::NoPen);
        constexpr int layers = 4;
        for (int layer = layers; layer >= 1; --layer) {
            painter.setBrush(Color::withOpacity(stateColor, shadowOpacity / (layers + 1)));
            const double r = size / 2 + shadowRadius * layer / layers;
            painter.drawEllipse(centre, r, r);
        }
        painter.setBrush(stateColor);
        painter.drawEllipse(centre, size / 2, size / 2);
    };
    switch (content) {
    case EarContent::nothing: return;
    case EarContent::targetIconOrDot:
        if (!targetIcon_.isNull()) {
            const QRectF iconRect(centre - QPointF(7, 7), QSizeF(14, 14));
            QPainterPath clip;
            clip.addRoundedRect(iconRect, 3, 3);
            painter.save();
            painter.setClipPath(clip, Qt::IntersectClip);
            painter.drawImage(iconRect, targetIcon_);
            painter.restore();
            return;
        }
        dot();
        return;
    case EarContent::recordingDot: dot(); return;
    case EarContent::spinner:
        painter.save();
        painter.translate(centre);
        painter.rotate(spinnerAngle_);
        painter.setPen(QPen(Qt::white, 1.5, Qt::SolidLine, Qt::RoundCap));
        painter.setBrush(Qt::NoBrush);
        painter.drawArc(QRectF(-5, -5, 10, 10), 90 * 16, 270 * 16);
        painter.restore();
        return;
    case EarContent::filledCheck: paintMark(painter, centre, 12, IndicatorStatus::systemGreen(), true, true); return;
    case EarContent::plainCheck: paintMark(painter, centre, 11, IndicatorStatus::systemGreen(), false, true); return;
    case EarContent::filledCross: paintMark(painter, centre, 12, Color::systemRed(), true, false); return;
    case EarContent::plainCross: paintMark(painter, centre, 11, Color::systemRed(), false, false); return;
    }
}

void NotchIndicatorView::paintFeedback(QPainter& painter, const DictationState& state, const QRectF& band) const {
    const auto row = IndicatorStatus::feedback(state);
    if (!row) return; // the band stays, empty
    const QFont font = indicatorFont(11, QFont::Medium);
    const QFontMetricsF metrics(font);
    const double iconSize = 11;
    const QString text = metrics.elidedText(row->text, Qt::ElideRight, band.width() - iconSize - 8);
    const double rowWidth = iconSize + 8 + metrics.horizontalAdvance(text);
    const double left = band.center().x() - rowWidth / 2;
    const QPointF iconCentre(left + iconSize / 2, band.center().y());
    if (row->icon == "checkmark.circle.fill" || row->icon == "xmark.circle.fill") {
        paintMark(painter, iconCentre, iconSize, row->iconColor, true, row->icon == "checkmark.circle.fill");
    } else {
        // Work in progress (waveform, sparkles, clipboard) shows its own symbol, not a finished mark.
        const auto size = static_cast<int>(iconSize);
        painter.drawImage(QRectF(iconCentre - QPointF(iconSize / 2, iconSize / 2), QSizeF(iconSize, iconSize)),
                          ostreldesignkit::SymbolImage::render(row->icon, size, row->iconColor));
    }
    painter.setFont(font);
    painter.setPen(Color::withOpacity(Qt::white, 0.85));
    painter.drawText(QRectF(left + iconSize + 8, band.top(), rowWidth, band.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     text);
}

} // namespace ostrelvirorez
