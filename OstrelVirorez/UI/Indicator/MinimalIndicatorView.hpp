#pragma once
// The minimal indicator drawn: the capsule of the minimal model at the top
// (or, for the dock position, the bottom) centre of its panel.

#include "OstrelVirorez/UI/Indicator/MinimalIndicatorModel.hpp"

#include <QImage>
#include <QRegion>
#include <QWidget>

#include <optional>

namespace ostrelvirorez {

class IndicatorAnimations;

class MinimalIndicatorView final : public QWidget {
public:
    MinimalIndicatorView(const DictationState& initial, PillPosition position, QWidget* parent = nullptr);

    void setState(const DictationState& state);
    void setLevel(double level);
    void setTargetIcon(QImage icon);
    void setPillPosition(PillPosition position);
    // The moving values: dot pulse 0…1 and the spinner's angle in degrees.
    // Until set, the dot stands pulsed or not as the model says.
    void setMotion(double pulse, double spinnerAngle);
    // From now on the capsule eases to every new size, and a new state's
    // content fades in over the old one's, along `animations` (the host's,
    // which outlives the view). Without it, changes show at once.
    void animateWith(IndicatorAnimations& animations);
    const MinimalIndicatorModel& model() const { return model_; }
    // Where the capsule stands now.
    QRectF capsuleRect() const;
    // The pixels the view covers now: the capsule (its shadow left out).
    QRegion visibleOutline() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ShapeMeasures targetShape() const;
    ShapeMeasures currentShape() const;
    void retarget();
    double messageHeight() const;
    void paintContent(QPainter& painter, const DictationState& state, const QRectF& capsule, double opacity) const;

    MinimalIndicatorModel model_;
    DictationState previousState_;
    IndicatorAnimations* animations_ = nullptr;
    PillPosition position_;
    double level_ = 0;
    QImage targetIcon_;
    std::optional<double> pulse_;
    double spinnerAngle_ = 0;
};

} // namespace ostrelvirorez
