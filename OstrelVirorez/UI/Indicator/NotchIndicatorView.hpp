#pragma once
// The notch indicator drawn: a black shape hanging from the top edge of its
// panel, centred, with the state in its two ears, an optional live-transcript
// band and feedback row, and the glow behind it while recording. Draws nothing
// while the geometry is not presented.

#include "OstrelVirorez/UI/Indicator/NotchIndicatorModel.hpp"

#include <QImage>
#include <QWidget>

namespace ostrelvirorez {

class NotchIndicatorView final : public QWidget {
public:
    NotchIndicatorView(const NotchGeometry& geometry, const DictationState& initial, QWidget* parent = nullptr);

    void setState(const DictationState& state);
    void setLevel(double level);
    void setTextFeedback(bool on);
    void setLiveTranscript(bool active, QString preview);
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
};

} // namespace ostrelvirorez
