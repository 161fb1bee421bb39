#include "OstrelVirorez/UI/Indicator/NotchIndicatorView.hpp"

#include "OstrelDesignKit/Symbols/SymbolImage.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/UI/Indicator/GlowBorder.hpp"
#include "OstrelVirorez/UI/Indicator/IndicatorPlacement.hpp"
#include "OstrelVirorez/UI/Indicator/IndicatorStatus.hpp"
#include "OstrelVirorez/UI/Indicator/NotchShape.hpp"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace ostrelvirorez {
namespace {

using ostreldesignkit::Color;

QFont systemFont(double size, QFont::Weight weight) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(size);
    font.setWeight(weight);
    return font;
}

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

} // namespace

NotchIndicatorView::NotchIndicatorView(const NotchGeometry& geometry, const DictationState& initial, QWidget* parent)
    : QWidget(parent), geometry_(geometry), model_(initial) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(IndicatorPlacement::panelSize(IndicatorStyle::notch).toSize());
}

void NotchIndicatorView::setState(const DictationState& state) {
    model_.stateChanged(state);
    update();
}

void NotchIndicatorView::setLevel(double level) {
    level_ = level;
    update();
}

void NotchIndicatorView::setTextFeedback(bool on) {
    textFeedback_ = on;
    update();
}

void NotchIndicatorView::setLiveTranscript(bool active, QString preview) {
    transcriptActive_ = active;
    preview_ = std::move(preview);
    update();
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
    update();
}

QRectF NotchIndicatorView::shapeRect() const {
    const DictationState& state = model_.state();
    const double w = NotchIndicatorModel::width(geometry_, state, textFeedback_);
    double h = geometry_.notchHeight();
    if (transcriptActive_) h += NotchIndicatorModel::transcriptHeight;
    if (NotchIndicatorModel::hasFeedback(state, textFeedback_)) h += NotchIndicatorModel::feedbackHeight;
    return QRectF(std::floor((width() - w) / 2), 0, w, h);
}

void NotchIndicatorView::paintEvent(QPaintEvent*) {
    const double open = openness_.value_or(geometry_.isPresented() ? 1 : 0);
    if (open <= 0) return;
    const DictationState& state = model_.state();
    const QRectF shape = shapeRect();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(std::min(open, 1.0));
    if (NotchIndicatorModel::showsGlow(state)) {
        const double outset = NotchIndicatorModel::glowOutset;
        GlowBorder{float(level_), IndicatorStatus::stateColor(state),
                   NotchIndicatorModel::glowCornerRadius(state, textFeedback_), breath_.value_or(1)}
            .paint(painter, shape.adjusted(-outset, -outset, outset, outset));
    }
    // Opening unrolls the shape from the top edge: closed, 0.1 % of it shows.
    const double unrolled = 0.001 + 0.999 * std::clamp(open, 0.0, 1.0);
    painter.setClipRect(QRectF(shape.left(), shape.top(), shape.width(), shape.height() * unrolled));
    painter.fillPath(NotchShape{NotchIndicatorModel::cornerRadius(state, textFeedback_), 0}.path(shape), Qt::black);

    const double earY = geometry_.notchHeight() / 2;
    paintEar(painter, NotchIndicatorModel::leftEar(state), QPointF(shape.left() + 20 + 7, earY));
    paintEar(painter, NotchIndicatorModel::rightEar(state),
             QPointF(shape.right() - NotchIndicatorModel::rightEarPadding(geometry_) - 7, earY));

    double y = geometry_.notchHeight();
    if (transcriptActive_) {
        const QRectF text(shape.left() + 24, y + 6, shape.width() - 48, 30);
        painter.setFont(systemFont(12, QFont::Normal));
        painter.setPen(Color::withOpacity(Qt::white, 0.85));
        // The newest words stay visible: the start gives way to an ellipsis.
        const QString shown = QFontMetricsF(painter.font()).elidedText(preview_, Qt::ElideLeft, text.width() * 2 - 12);
        painter.drawText(text, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, shown);
        y += NotchIndicatorModel::transcriptHeight;
    }
    if (NotchIndicatorModel::hasFeedback(state, textFeedback_)) {
        paintFeedback(painter, QRectF(shape.left() + 24, y, shape.width() - 48, NotchIndicatorModel::feedbackHeight));
    }
}

void NotchIndicatorView::paintEar(QPainter& painter, EarContent content, QPointF centre) const {
    const QColor stateColor = IndicatorStatus::stateColor(model_.state());
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

void NotchIndicatorView::paintFeedback(QPainter& painter, const QRectF& band) const {
    const auto row = IndicatorStatus::feedback(model_.state());
    if (!row) return; // the band stays, empty
    const QFont font = systemFont(11, QFont::Medium);
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
