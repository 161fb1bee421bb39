#include "OstrelDesignKit/Tokens/OstrelDesign.hpp"

#include "OstrelDesignKit/Tokens/Color.hpp"

#include <QGraphicsDropShadowEffect>
#include <QWidget>

namespace ostreldesignkit::OstrelDesign {

Shadow shadow(Elevation elevation) {
    const auto black = [](double opacity) { return Color::withOpacity(Qt::black, opacity); };
    switch (elevation) {
    case Elevation::card: return {black(0.2), 4, {0, 1}};
    case Elevation::panel: return {black(0.3), 10, {0, 3}};
    case Elevation::floating: return {black(0.4), 20, {0, 8}};
    }
    return {black(0.2), 4, {0, 1}};
}

void applyElevation(QWidget& widget, Elevation elevation) {
    const Shadow spec = shadow(elevation);
    auto effect = std::make_unique<QGraphicsDropShadowEffect>();
    effect->setColor(spec.color);
    effect->setBlurRadius(spec.blurRadius);
    effect->setOffset(spec.offset);
    widget.setGraphicsEffect(effect.release()); // the widget owns its effect
}

} // namespace ostreldesignkit::OstrelDesign
