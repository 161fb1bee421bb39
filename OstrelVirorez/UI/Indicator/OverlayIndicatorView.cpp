#include "OstrelVirorez/UI/Indicator/OverlayIndicatorView.hpp"

#include "OstrelDesignKit/Symbols/SymbolImage.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/UI/Indicator/IndicatorAnimations.hpp"
#include "OstrelVirorez/UI/Indicator/IndicatorPlacement.hpp"
#include "OstrelVirorez/UI/Indicator/IndicatorStatus.hpp"
#include "OstrelVirorez/UI/Indicator/IndicatorText.hpp"
#include "OstrelVirorez/UI/Indicator/WaveformRings.hpp"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace ostrelvirorez {
namespace {

using ostreldesignkit::Color;
using Model = OverlayIndicatorModel;

constexpr double spinnerSize = 10;
constexpr double labelSpacing = 8;
constexpr double feedbackIconSize = 13;
constexpr double feedbackSpacing = 10;

QFont labelFont() { return indicatorFont(12); }
QFont doneFont() { return indicatorFont(12, QFont::Medium); }
QFont errorFont() { return indicatorFont(11, QFont::Medium); }
QFont transcriptFont() { return indicatorFont(13); }
QFont feedbackFont() { return indicatorFont(13, QFont::Medium); }

void paintSymbol(QPainter& painter, const char* name, QPointF centre, double size, const QColor& color) {
    const int pixels = int(std::lround(size));
    painter.drawImage(QRectF(centre - QPointF(size / 2, size / 2), QSizeF(size, size)),
                      ostreldesignkit::SymbolImage::render(name, pixels, color));
}

double linesHeight(const QStringList& lines, const QFont& font) {
    return lines.size() * QFontMetricsF(font).lineSpacing();
}

} // namespace

OverlayIndicatorView::OverlayIndicatorView(const DictationState& initial, double closedWidth, QWidget* parent)
    : QWidget(parent), model_(initial, closedWidth), previousState_(initial) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(IndicatorPlacement::panelSize(IndicatorStyle::overlay).toSize());
}

void OverlayIndicatorView::animateWith(IndicatorAnimations& animations) {
    animations_ = &animations;
    animations_->setShape(targetShape(), Model::shapeTiming, false);
    update();
}

void OverlayIndicatorView::retarget() {
    if (animations_ != nullptr) animations_->setShape(targetShape(), Model::shapeTiming);
    update();
}

void OverlayIndicatorView::setState(const DictationState& state) {
    const DictationState before = model_.state();
    model_.stateChanged(state);
    if (!(before == state)) {
        previousState_ = before;
        if (animations_ != nullptr) animations_->crossFadeContent(Model::shapeTiming.content);
    }
    retarget();
}

void OverlayIndicatorView::setLevel(double level) {
    level_ = level;
    update();
}

void OverlayIndicatorView::setTextFeedback(bool on) {
    textFeedback_ = on;
    retarget();
}

void OverlayIndicatorView::setPillPosition(PillPosition position) {
    position_ = position;
    update();
}

void OverlayIndicatorView::setLiveTranscript(bool active, QString preview) {
    transcriptActive_ = active;
    preview_ = std::move(preview);
    retarget();
}

void OverlayIndicatorView::setTargetIcon(QImage icon) {
    targetIcon_ = std::move(icon);
    update();
}

void OverlayIndicatorView::setMotion(double pulse, double ringPhase, double ringOpacity, double spinnerAngle) {
    pulse_ = pulse;
    ringPhase_ = ringPhase;
    ringOpacity_ = ringOpacity;
    spinnerAngle_ = spinnerAngle;
    update();
}

double OverlayIndicatorView::pillWidth(const DictationState& state) const { return model_.width(state, textFeedback_); }

ShapeMeasures OverlayIndicatorView::targetShape() const {
    const DictationState& state = model_.state();
    return {pillWidth(state), Model::rowHeight + transcriptHeight() + feedbackHeight(state), Model::cornerRadius};
}

ShapeMeasures OverlayIndicatorView::currentShape() const {
    return animations_ != nullptr ? animations_->shape() : targetShape();
}

QStringList OverlayIndicatorView::transcriptLines() const {
    if (!Model::showsTranscript(transcriptActive_, preview_)) return {};
    return wrappedLines(preview_, transcriptFont(), pillWidth(model_.state()) - 2 * Model::sidePadding,
                        Model::transcriptLines);
}

QStringList OverlayIndicatorView::feedbackLines() const { return feedbackLines(model_.state()); }

QStringList OverlayIndicatorView::feedbackLines(const DictationState& state) const {
    const auto row = IndicatorStatus::feedback(state);
    if (!Model::hasExpandedContent(state, textFeedback_) || !row) return {};
    const double textWidth = pillWidth(state) - 2 * Model::sidePadding - feedbackIconSize - feedbackSpacing;
    return wrappedLines(row->text, feedbackFont(), textWidth, Model::feedbackLines);
}

double OverlayIndicatorView::transcriptHeight() const {
    const QStringList lines = transcriptLines();
    if (lines.isEmpty()) return 0;
    return 1 + 2 * Model::sectionVerticalPadding + linesHeight(lines, transcriptFont());
}

double OverlayIndicatorView::feedbackHeight(const DictationState& state) const {
    if (!Model::hasExpandedContent(state, textFeedback_)) return 0;
    const double text = std::max(linesHeight(feedbackLines(state), feedbackFont()), feedbackIconSize);
    return 1 + 2 * Model::sectionVerticalPadding + text;
}

QRectF OverlayIndicatorView::pillRect() const {
    const ShapeMeasures shape = currentShape();
    const double x = std::floor((width() - shape.width) / 2); // whole pixels keep the edges crisp
    const double y = Model::alignsToBottom(position_) ? height() - shape.height : 0;
    return QRectF(x, y, shape.width, shape.height);
}

QRegion OverlayIndicatorView::visibleOutline() const {
    QPainterPath shape;
    shape.addRoundedRect(pillRect(), Model::cornerRadius, Model::cornerRadius);
    return QRegion(shape.toFillPolygon().toPolygon());
}

double OverlayIndicatorView::leftWidth(const DictationState& state) const {
    switch (Model::leftStatus(state)) {
    case OverlayLeft::nothing: return 0;
    case OverlayLeft::iconAndDot:
        return (targetIcon_.isNull() ? 0 : Model::iconSize + labelSpacing) + Model::dotDiameter;
    case OverlayLeft::filledCheck:
    case OverlayLeft::filledCross: return Model::statusSymbolSize;
    }
    return 0;
}

double OverlayIndicatorView::rightWidth(const DictationState& state, double pillWidth) const {
    switch (Model::rightContent(state, textFeedback_)) {
    case OverlayRight::nothing: return 0;
    case OverlayRight::recordingDot: return Model::dotDiameter;
    case OverlayRight::spinner: return spinnerSize;
    case OverlayRight::labelAndSpinner:
        return QFontMetricsF(labelFont()).horizontalAdvance(Model::processingLabel(state)) + labelSpacing +
               spinnerSize;
    case OverlayRight::doneWord: return QFontMetricsF(doneFont()).horizontalAdvance(QStringLiteral("Done"));
    case OverlayRight::errorMessage:
        // The message takes whatever the row leaves; it is cut to fit.
        return pillWidth - 2 * Model::sidePadding - leftWidth(state) - 2 * Model::rowSpacing;
    }
    return 0;
}

QRectF OverlayIndicatorView::waveformRect() const { return waveformRect(model_.state(), pillRect()); }

QRectF OverlayIndicatorView::waveformRect(const DictationState& state, const QRectF& pill) const {
    if (!Model::showsWaveform(state)) return {};
    const double inner = pill.width() - 2 * Model::sidePadding;
    // The rings and the spacer after them share the room the fixed parts leave.
    const double free = inner - leftWidth(state) - rightWidth(state, pill.width()) - 3 * Model::rowSpacing;
    const double w = std::max(free / 2, 0.0);
    const double x = pill.left() + Model::sidePadding + leftWidth(state) + Model::rowSpacing;
    const double centreY = pill.top() + Model::rowHeight / 2;
    return QRectF(x, centreY - Model::ringMaxHeight / 2, w, Model::ringMaxHeight);
}

void OverlayIndicatorView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF pill = pillRect();
    QPainterPath shape;
    shape.addRoundedRect(pill, Model::cornerRadius, Model::cornerRadius);
    // A soft shadow, 5 pt down: layers of falling opacity stand in for the blur.
    constexpr int shadowLayers = 5;
    for (int layer = shadowLayers; layer >= 1; --layer) {
        const double spread = 10.0 * layer / shadowLayers;
        QPainterPath halo;
        halo.addRoundedRect(pill.adjusted(-spread, -spread, spread, spread).translated(0, 5),
                            Model::cornerRadius + spread, Model::cornerRadius + spread);
        painter.fillPath(halo, Color::withOpacity(Qt::black, 0.3 / (shadowLayers + 1)));
    }
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillPath(shape, Color::withOpacity(Qt::black, 0.85));
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setPen(QPen(Color::withOpacity(Qt::white, 0.15), 1, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(pill.adjusted(0.5, 0.5, -0.5, -0.5), Model::cornerRadius - 0.5, Model::cornerRadius - 0.5);

    // While the pill grows or shrinks, its content stays inside it.
    painter.setClipPath(shape);
    const double blend = animations_ != nullptr ? animations_->contentBlend() : 1;
    if (blend < 1) paintContent(painter, previousState_, pill, 1 - blend);
    paintContent(painter, model_.state(), pill, blend);
    painter.setOpacity(1);
    const double transcript = transcriptHeight();
    if (transcript > 0) {
        paintTranscript(painter, QRectF(pill.left(), pill.top() + Model::rowHeight, pill.width(), transcript));
    }
}

void OverlayIndicatorView::paintContent(QPainter& painter, const DictationState& state, const QRectF& pill,
                                        double opacity) const {
    if (opacity <= 0) return;
    painter.setOpacity(opacity);
    paintRow(painter, state, QRectF(pill.left(), pill.top(), pill.width(), Model::rowHeight));
    const double feedback = feedbackHeight(state);
    if (feedback > 0) {
        const double y = pill.top() + Model::rowHeight + transcriptHeight();
        paintFeedback(painter, state, QRectF(pill.left(), y, pill.width(), feedback));
    }
}

void OverlayIndicatorView::paintRow(QPainter& painter, const DictationState& state, const QRectF& row) const {
    const double midY = row.center().y();
    double x = row.left() + Model::sidePadding;
    switch (Model::leftStatus(state)) {
    case OverlayLeft::nothing: break;
    case OverlayLeft::iconAndDot:
        if (!targetIcon_.isNull()) {
            const QRectF iconRect(x, midY - Model::iconSize / 2, Model::iconSize, Model::iconSize);
            QPainterPath clip;
            clip.addRoundedRect(iconRect, 4, 4);
            painter.save();
            painter.setClipPath(clip, Qt::IntersectClip);
            painter.drawImage(iconRect, targetIcon_);
            painter.restore();
            x += Model::iconSize + labelSpacing;
        }
        paintDot(painter, state, QPointF(x + Model::dotDiameter / 2, midY));
        break;
    case OverlayLeft::filledCheck:
        paintSymbol(painter, "checkmark.circle.fill", QPointF(x + Model::statusSymbolSize / 2, midY),
                    Model::statusSymbolSize, IndicatorStatus::systemGreen());
        break;
    case OverlayLeft::filledCross:
        paintSymbol(painter, "xmark.circle.fill", QPointF(x + Model::statusSymbolSize / 2, midY),
                    Model::statusSymbolSize, Color::systemRed());
        break;
    }

    const QRectF rings = waveformRect(state, row);
    if (!rings.isEmpty()) {
        painter.save();
        painter.setClipRect(rings, Qt::IntersectClip);
        painter.translate(rings.topLeft());
        painter.setOpacity(painter.opacity() * ringOpacity_);
        WaveformRings::paint(painter, rings.size(), Model::ringCount, state, level_, ringPhase_);
        painter.restore();
    }

    const double right = row.right() - Model::sidePadding;
    const double available = rightWidth(state, row.width());
    const double rightLeft = right - available;
    switch (Model::rightContent(state, textFeedback_)) {
    case OverlayRight::nothing: return;
    case OverlayRight::recordingDot: paintDot(painter, state, QPointF(right - Model::dotDiameter / 2, midY)); return;
    case OverlayRight::spinner: paintSpinner(painter, QPointF(right - spinnerSize / 2, midY)); return;
    case OverlayRight::labelAndSpinner:
        painter.setFont(labelFont());
        painter.setPen(Color::withOpacity(Qt::white, 0.7));
        painter.drawText(QRectF(rightLeft, row.top(), available, row.height()), Qt::AlignLeft | Qt::AlignVCenter,
                         Model::processingLabel(state));
        paintSpinner(painter, QPointF(right - spinnerSize / 2, midY));
        return;
    case OverlayRight::doneWord:
        painter.setFont(doneFont());
        painter.setPen(Color::withOpacity(IndicatorStatus::systemGreen(), 0.9));
        painter.drawText(QRectF(rightLeft, row.top(), available, row.height()), Qt::AlignRight | Qt::AlignVCenter,
                         QStringLiteral("Done"));
        return;
    case OverlayRight::errorMessage: {
        painter.setFont(errorFont());
        painter.setPen(Color::withOpacity(Color::systemRed(), 0.9));
        const QString message = QString::fromStdString(state.message().value_or(""));
        const QString shown = QFontMetricsF(errorFont()).elidedText(message, Qt::ElideRight, available);
        painter.drawText(QRectF(rightLeft, row.top(), available, row.height()), Qt::AlignRight | Qt::AlignVCenter,
                         shown);
        return;
    }
    }
}

void OverlayIndicatorView::paintDot(QPainter& painter, const DictationState& state, QPointF centre) const {
    const QColor color = IndicatorStatus::stateColor(state);
    const double radius = Model::dotDiameter * Model::dotScale(level_) / 2;
    const DotShadow shadow = Model::dotShadow(pulse_);
    painter.save();
    painter.setPen(Qt::NoPen);
    constexpr int layers = 4;
    for (int layer = layers; layer >= 1; --layer) {
        painter.setBrush(Color::withOpacity(color, shadow.opacity / (layers + 1)));
        const double r = radius + shadow.radius * layer / layers;
        painter.drawEllipse(centre, r, r);
    }
    painter.setBrush(color);
    painter.drawEllipse(centre, radius, radius);
    painter.restore();
}

void OverlayIndicatorView::paintSpinner(QPainter& painter, QPointF centre) const {
    painter.save();
    painter.translate(centre);
    painter.rotate(spinnerAngle_);
    painter.setPen(QPen(Qt::white, 1.5, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    const double r = spinnerSize / 2 - 1;
    painter.drawArc(QRectF(-r, -r, 2 * r, 2 * r), 90 * 16, 270 * 16);
    painter.restore();
}

void OverlayIndicatorView::paintTranscript(QPainter& painter, const QRectF& section) const {
    painter.fillRect(QRectF(section.left(), section.top(), section.width(), 1), Color::withOpacity(Qt::white, 0.1));
    painter.setFont(transcriptFont());
    painter.setPen(Color::withOpacity(Qt::white, 0.85));
    const QRectF text = section.adjusted(Model::sidePadding, 1 + Model::sectionVerticalPadding, -Model::sidePadding,
                                         -Model::sectionVerticalPadding);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignTop, transcriptLines().join(QChar('\n')));
}

void OverlayIndicatorView::paintFeedback(QPainter& painter, const DictationState& state, const QRectF& section) const {
    painter.fillRect(QRectF(section.left(), section.top(), section.width(), 1), Color::withOpacity(Qt::white, 0.1));
    const auto row = IndicatorStatus::feedback(state);
    if (!row) return;
    const QRectF inner = section.adjusted(Model::sidePadding, 1 + Model::sectionVerticalPadding, -Model::sidePadding,
                                          -Model::sectionVerticalPadding);
    paintSymbol(painter, row->icon.c_str(), QPointF(inner.left() + feedbackIconSize / 2, inner.center().y()),
                feedbackIconSize, row->iconColor);
    painter.setFont(feedbackFont());
    painter.setPen(Color::withOpacity(Qt::white, 0.9));
    const QRectF text = inner.adjusted(feedbackIconSize + feedbackSpacing, 0, 0, 0);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, feedbackLines(state).join(QChar('\n')));
}

} // namespace ostrelvirorez
