#pragma once
// The kit's own close, minimise and zoom buttons for windows that draw their
// own title area: grey dots until the pointer is over the group, then red,
// yellow and green with glyphs. Each acts on the window hosting the widget.

#include <QColor>
#include <QWidget>

#include <array>
#include <optional>

namespace ostreldesignkit {

enum class TrafficLight { close, minimise, zoom };

struct TrafficLightLook {
    static constexpr double diameter = 12;
    static constexpr double spacing = 8;
    static QColor idle();
    static QColor hovered(TrafficLight light);
    static const char* glyph(TrafficLight light);
    // The dot's colour; glyphs show only while hovering.
    static QColor color(TrafficLight light, bool hovering) { return hovering ? hovered(light) : idle(); }
};

class OstrelTrafficLights final : public QWidget {
public:
    explicit OstrelTrafficLights(QWidget* parent = nullptr);

    bool isHovering() const { return hovering_; }
    static constexpr std::array<TrafficLight, 3> lights{TrafficLight::close, TrafficLight::minimise,
                                                        TrafficLight::zoom};
    // The light under `pos`, if any (the gaps between lights are none).
    static std::optional<TrafficLight> lightAt(QPointF pos);
    void press(TrafficLight light);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void setHovering(bool hovering);

    bool hovering_ = false;
};

} // namespace ostreldesignkit
