#pragma once
// The overlay indicator drawn: a dark rounded pill centred in its panel,
// hanging from the top edge (or, for the dock position, standing on the
// bottom edge) so that it grows away from the screen edge, with the state
// row, the live transcript and the feedback section of the overlay model.

#include "OstrelVirorez/UI/Indicator/OverlayIndicatorModel.hpp"

#include <QImage>
#include <QRegion>
#include <QStringList>
#include <QWidget>

namespace ostrelvirorez {

class IndicatorAnimations;

class OverlayIndicatorView final : public QWidget {
public:
    OverlayIndicatorView(const DictationState& initial, double closedWidth = OverlayIndicatorModel::defaultClosedWidth,
                         QWidget* parent = nullptr);

    void setState(const DictationState& state);
    void setLevel(double level);
    void setTextFeedback(bool on);
    void setPillPosition(PillPosition position);
    void setLiveTranscript(bool active, QString preview);
    void setTargetIcon(QImage icon);
    // The moving values: dot pulse 0…1, ring phase (radians), ring drawing
    // opacity 0…1 and the spinner's angle in degrees.
    void setMotion(double pulse, double ringPhase, double ringOpacity, double spinnerAngle);
    // From now on the pill eases to every new width and height, and a new
    // state's content fades in over the old one's, along `animations` (the
    // host's, which outlives the view). Without it, changes show at once.
    void animateWith(IndicatorAnimations& animations);

    const OverlayIndicatorModel& model() const { return model_; }
    // Where the pill stands now.
    QRectF pillRect() const;
    // The pixels the view covers now: the pill (its shadow left out).
    QRegion visibleOutline() const;
    // The lines of the live transcript and of the feedback text as drawn.
    QStringList transcriptLines() const;
    QStringList feedbackLines() const;
    // Where the waveform rings are drawn inside the pill; empty when none.
    QRectF waveformRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ShapeMeasures targetShape() const;
    ShapeMeasures currentShape() const;
    void retarget();
    double pillWidth(const DictationState& state) const;
    QStringList feedbackLines(const DictationState& state) const;
    double transcriptHeight() const;
    double feedbackHeight(const DictationState& state) const;
    double leftWidth(const DictationState& state) const;
    double rightWidth(const DictationState& state, double pillWidth) const;
    QRectF waveformRect(const DictationState& state, const QRectF& pill) const;
    void paintContent(QPainter& painter, const DictationState& state, const QRectF& pill, double opacity) const;
    void paintRow(QPainter& painter, const DictationState& state, const QRectF& row) const;
    void paintDot(QPainter& painter, const DictationState& state, QPointF centre) const;
    void paintSpinner(QPainter& painter, QPointF centre) const;
    void paintTranscript(QPainter& painter, const QRectF& section) const;
    void paintFeedback(QPainter& painter, const DictationState& state, const QRectF& section) const;

    OverlayIndicatorModel model_;
    DictationState previousState_;
    IndicatorAnimations* animations_ = nullptr;
    double level_ = 0;
    bool textFeedback_ = true;
    PillPosition position_ = PillPosition::island;
    bool transcriptActive_ = false;
    QString preview_;
    QImage targetIcon_;
    double pulse_ = 0;
    double ringPhase_ = 0;
    double ringOpacity_ = 1;
    double spinnerAngle_ = 0;
};

} // namespace ostrelvirorez
