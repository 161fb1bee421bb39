#pragma once
// The minimal indicator drawn: the capsule of the minimal model at the top
// (or, for the dock position, the bottom) centre of its panel.

#include "OstrelVirorez/UI/Indicator/MinimalIndicatorModel.hpp"

#include <QImage>
#include <QWidget>

#include <optional>

namespace ostrelvirorez {

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
    const MinimalIndicatorModel& model() const { return model_; }
    QRectF capsuleRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double messageHeight() const;
    void paintContent(QPainter& painter, const QRectF& inner) const;

    MinimalIndicatorModel model_;
    PillPosition position_;
    double level_ = 0;
    QImage targetIcon_;
    std::optional<double> pulse_;
    double spinnerAngle_ = 0;
};

} // namespace ostrelvirorez
