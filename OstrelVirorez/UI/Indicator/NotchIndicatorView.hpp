#pragma once
// The notch indicator drawn: a black shape hanging from the top edge of its
// panel, centred, with the state in its two ears, an optional live-transcript
// band and feedback row, and the glow behind it while recording. Draws nothing
// while closed; opening unrolls the shape downward as it fades in.

#include "OstrelVirorez/UI/Indicator/NotchIndicatorModel.hpp"

#include <QImage>
#include <QWidget>

#include <optional>

namespace ostrelvirorez {

class NotchIndicatorView final : public QWidget {
public:
    NotchIndicatorView(const NotchGeometry& geometry, const DictationState& initial, QWidget* parent = nullptr);

    void setState(const DictationState& state);
    void setLevel(double level);
    void setTextFeedback(bool on);
    void setLiveTranscript(bool active, QString preview);
    void setTargetIcon(QImage icon);
    // The moving values: dot pulse and glow breath 0…1, how far the view is
    // open 0…1 and the spinner's angle in degrees. Until set, the view stands
    // still: pulsed as the model says, fully breathed, and open or closed as
    // the geometry says.
    void setMotion(double pulse, double breath, double openness, double spinnerAngle);
    const NotchIndicatorModel& model() const { return model_; }
    // The black shape's rectangle in the view.
    QRectF shapeRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintEar(QPainter& painter, EarContent content, QPointF centre) const;
    void paintFeedback(QPainter& painter, const QRectF& band) const;

    const NotchGeometry& geometry_;
    NotchIndicatorModel model_;
    double level_ = 0;
    bool textFeedback_ = true;
    bool transcriptActive_ = false;
    QString preview_;
    QImage targetIcon_;
    std::optional<double> pulse_;
    std::optional<double> breath_;
    std::optional<double> openness_;
    double spinnerAngle_ = 0;
};

} // namespace ostrelvirorez
