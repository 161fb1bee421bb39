#pragma once
// The notch indicator drawn: a black shape hanging from the top edge of its
// panel, centred, with the state in its two ears, an optional live-transcript
// band and feedback row, and the glow behind it while recording. Draws nothing
// while closed; opening unrolls the shape downward as it fades in.

#include "OstrelVirorez/UI/Indicator/NotchIndicatorModel.hpp"

#include <QImage>
#include <QRegion>
#include <QWidget>

#include <optional>

namespace ostrelvirorez {

class IndicatorAnimations;

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
    // From now on the shape eases to every new size and corner radius, and a
    // new state's content fades in over the old one's, along `animations`
    // (the host's, which outlives the view). Without it, changes show at once.
    void animateWith(IndicatorAnimations& animations);
    const NotchIndicatorModel& model() const { return model_; }
    // The black shape's rectangle and bottom corner radius where they stand now.
    QRectF shapeRect() const;
    double cornerRadius() const;
    // The pixels the view covers now: the black shape as far as it has
    // unrolled (the glow's soft edge left out); empty while closed.
    QRegion visibleOutline() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ShapeMeasures targetShape() const;
    ShapeMeasures currentShape() const;
    double openness() const;
    double contentBlend() const;
    void retarget();
    void paintGlow(QPainter& painter, const QRectF& shape, double radius, double fade, double blend) const;
    void paintContent(QPainter& painter, const DictationState& state, const QRectF& shape, double opacity) const;
    void paintEar(QPainter& painter, const DictationState& state, EarContent content, QPointF centre) const;
    void paintFeedback(QPainter& painter, const DictationState& state, const QRectF& band) const;

    const NotchGeometry& geometry_;
    NotchIndicatorModel model_;
    DictationState previousState_;
    IndicatorAnimations* animations_ = nullptr;
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
