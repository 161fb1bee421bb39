#include "OstrelVirorez/UI/Indicator/OverlayIndicatorView.hpp"

#include "OstrelDesignKit/Symbols/SymbolImage.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"
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
    : QWidget(parent), model_(initial, closedWidth) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(IndicatorPlacement::panelSize(IndicatorStyle::overlay).toSize());
}

void OverlayIndicatorView::setState(const DictationState& state) {
    model_.stateChanged(state);
    update();
}

void OverlayIndicatorView::setLevel(double level) {
    level_ = level;
    update();
}

void OverlayIndicatorView::setTextFeedback(bool on) {
    textFeedback_ = on;
    update();
}

void OverlayIndicatorView::setPillPosition(PillPosition position) {
    position_ = position;
    update();
}

void OverlayIndicatorView::setLiveTranscript(bool active, QString preview) {
    transcriptActive_ = active;
    preview_ = std::move(preview);
    update();
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

double OverlayIndicatorView::pillWidth() const { return model_.width(model_.state(), textFeedback_); }

QStringList OverlayIndicatorView::transcriptLines() const {
    if (!Model::showsTranscript(transcriptActive_, preview_)) return {};
    return wrappedLines(preview_, transcriptFont(), pillWidth() - 2 * Model::sidePadding, Model::transcriptLines);
}

QStringList OverlayIndicatorView::feedbackLines() const {
    const auto row = IndicatorStatus::feedback(model_.state());
    if (!Model::hasExpandedContent(model_.state(), textFeedback_) || !row) return {};
    const double textWidth = pillWidth() - 2 * Model::sidePadding - feedbackIconSize - feedbackSpacing;
    return wrappedLines(row->text, feedbackFont(), textWidth, Model::feedbackLines);
}

double OverlayIndicatorView::transcriptHeight() const {
    const QStringList lines = transcriptLines();
    if (lines.isEmpty()) return 0;
    return 1 + 2 * Model::sectionVerticalPadding + linesHeight(lines, transcriptFont());
}

double OverlayIndicatorView::feedbackHeight() const {
    if (!Model::hasExpandedContent(model_.state(), textFeedback_)) return 0;
    const double text = std::max(linesHeight(feedbackLines(), feedbackFont()), feedbackIconSize);
    return 1 + 2 * Model::sectionVerticalPadding + text;
}

QRectF OverlayIndicatorView::pillRect() const {
    const double w = pillWidth();
    const double h = Model::rowHeight + transcriptHeight() + feedbackHeight();
    const double x = std::floor((width() - w) / 2); // whole pixels keep the edges crisp
    const double y = Model::alignsToBottom(position_) ? height() - h : 0;
    return QRectF(x, y, w, h);
}

double OverlayIndicatorView::leftWidth() const {
    switch (Model::leftStatus(model_.state())) {
    case OverlayLeft::nothing: return 0;
    case OverlayLeft::iconAndDot:
        return (targetIcon_.isNull() ? 0 : Model::iconSize + labelSpacing) + Model::dotDiameter;
    case OverlayLeft::filledCheck:
    case OverlayLeft::filledCross: return Model::statusSymbolSize;
    }
    return 0;
}

double OverlayIndicatorView::rightWidth() const {
    switch (Model::rightContent(model_.state(), textFeedback_)) {
    case OverlayRight::nothing: return 0;
    case OverlayRight::recordingDot: return Model::dotDiameter;
    case OverlayRight::spinner: return spinnerSize;
    case OverlayRight::labelAndSpinner:
        return QFontMetricsF(labelFont()).horizontalAdvance(Model::processingLabel(model_.state())) + labelSpacing +
               spinnerSize;
    case OverlayRight::doneWord: return QFontMetricsF(doneFont()).horizontalAdvance(QStringLiteral("Done"));
    case OverlayRight::errorMessage: {
        // The message takes whatever the row leaves; it is cut to fit.
        const double left = leftWidth();
        return pillWidth() - 2 * Model::sidePadding - left - 2 * Model::rowSpacing;
    }
    }
    return 0;
}

QRectF OverlayIndicatorView::waveformRect() const {
    if (!Model::showsWaveform(model_.state())) return {};
    const QRectF pill = pillRect();
    const double inner = pill.width() - 2 * Model::sidePadding;
    // The rings and the spacer after them share the room the fixed parts leave.
    const double free = inner - leftWidth() - rightWidth() - 3 * Model::rowSpacing;
    const double w = std::max(free / 2, 0.0);
    const double x = pill.left() + Model::sidePadding + leftWidth() + Model::rowSpacing;
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

    paintRow(painter, QRectF(pill.left(), pill.top(), pill.width(), Model::rowHeight));
    double y = pill.top() + Model::rowHeight;
    const double transcript = transcriptHeight();
    if (transcript > 0) {
        paintTranscript(painter, QRectF(pill.left(), y, pill.width(), transcript));
        y += transcript;
    }
    const double feedback = feedbackHeight();
    if (feedback > 0) paintFeedback(painter, QRectF(pill.left(), y, pill.width(), feedback));
}

void OverlayIndicatorView::paintRow(QPainter& painter, const QRectF& row) const {
    const DictationState& state = model_.state();
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
            painter.setClipPath(clip);
            painter.drawImage(iconRect, targetIcon_);
            painter.restore();
            x += Model::iconSize + labelSpacing;
        }
        paintDot(painter, QPointF(x + Model::dotDiameter / 2, midY));
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

    const QRectF rings = waveformRect();
    if (!rings.isEmpty()) {
        painter.save();
        painter.setClipRect(rings);
        painter.translate(rings.topLeft());
        painter.setOpacity(ringOpacity_);
        WaveformRings::paint(painter, rings.size(), Model::ringCount, state, level_, ringPhase_);
        painter.restore();
    }

    const double right = row.right() - Model::sidePadding;
    const double rightLeft = right - rightWidth();
    switch (Model::rightContent(state, textFeedback_)) {
    case OverlayRight::nothing: return;
    case OverlayRight::recordingDot: paintDot(painter, QPointF(right - Model::dotDiameter / 2, midY)); return;
    case OverlayRight::spinner: paintSpinner(painter, QPointF(right - spinnerSize / 2, midY)); return;
    case OverlayRight::labelAndSpinner:
        painter.setFont(labelFont());
        painter.setPen(Color::withOpacity(Qt::white, 0.7));
        painter.drawText(QRectF(rightLeft, row.top(), rightWidth(), row.height()), Qt::AlignLeft | Qt::AlignVCenter,
                         Model::processingLabel(state));
        paintSpinner(painter, QPointF(right - spinnerSize / 2, midY));
        return;
    case OverlayRight::doneWord:
        painter.setFont(doneFont());
        painter.setPen(Color::withOpacity(IndicatorStatus::systemGreen(), 0.9));
        painter.drawText(QRectF(rightLeft, row.top(), rightWidth(), row.height()), Qt::AlignRight | Qt::AlignVCenter,
                         QStringLiteral("Done"));
        return;
    case OverlayRight::errorMessage: {
        painter.setFont(errorFont());
        painter.setPen(Color::withOpacity(Color::systemRed(), 0.9));
        const QString message = QString::fromStdString(state.message().value_or(""));
        const QString shown = QFontMetricsF(errorFont()).elidedText(message, Qt::ElideRight, rightWidth());
        painter.drawText(QRectF(rightLeft, row.top(), rightWidth(), row.height()), Qt::AlignRight | Qt::AlignVCenter,
                         shown);
        return;
    }
    }
}

void OverlayIndicatorView::paintDot(QPainter& painter, QPointF centre) const {
    const QColor color = IndicatorStatus::stateColor(model_.state());
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

void OverlayIndicatorView::paintFeedback(QPainter& painter, const QRectF& section) const {
    painter.fillRect(QRectF(section.left(), section.top(), section.width(), 1), Color::withOpacity(Qt::white, 0.1));
    const auto row = IndicatorStatus::feedback(model_.state());
    if (!row) return;
    const QRectF inner = section.adjusted(Model::sidePadding, 1 + Model::sectionVerticalPadding, -Model::sidePadding,
                                          -Model::sectionVerticalPadding);
    paintSymbol(painter, row->icon.c_str(), QPointF(inner.left() + feedbackIconSize / 2, inner.center().y()),
                feedbackIconSize, row->iconColor);
    painter.setFont(feedbackFont());
    painter.setPen(Color::withOpacity(Qt::white, 0.9));
    const QRectF text = inner.adjusted(feedbackIconSize + feedbackSpacing, 0, 0, 0);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, feedbackLines().join(QChar('\n')));
}

} // namespace ostrelvirorez
