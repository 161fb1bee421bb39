#pragma once
// The overlay indicator drawn: a dark rounded pill centred in its panel,
// hanging from the top edge (or, for the dock position, standing on the
// bottom edge) so that it grows away from the screen edge, with the state
// row, the live transcript and the feedback section of the overlay model.

#include "OstrelVirorez/UI/Indicator/OverlayIndicatorModel.hpp"

#include <QImage>
#include <QStringList>
#include <QWidget>

namespace ostrelvirorez {

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

    const OverlayIndicatorModel& model() const { return model_; }
    QRectF pillRect() const;
    // The lines of the live transcript and of the feedback text as drawn.
    QStringList transcriptLines() const;
    QStringList feedbackLines() const;
    // Where the waveform rings are drawn inside the pill; empty when none.
    QRectF waveformRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double pillWidth() const;
    double transcriptHeight() const;
    double feedbackHeight() const;
    double leftWidth() const;
    double rightWidth() const;
    void paintRow(QPainter& painter, const QRectF& row) const;
    void paintDot(QPainter& painter, QPointF centre) const;
    void paintSpinner(QPainter& painter, QPointF centre) const;
    void paintTranscript(QPainter& painter, const QRectF& section) const;
    void paintFeedback(QPainter& painter, const QRectF& section) const;

    OverlayIndicatorModel model_;
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
