#pragma once
// The kit's layout constants (points) and its three elevation shadows.

#include <QColor>
#include <QPointF>

class QWidget;

namespace ostreldesignkit::OstrelDesign {

namespace Spacing {
inline constexpr double tight = 4;
inline constexpr double standard = 8;
inline constexpr double comfortable = 12;
inline constexpr double generous = 16;
} // namespace Spacing

namespace IconSize {
inline constexpr double small = 12;
inline constexpr double standard = 14;
inline constexpr double medium = 16;
inline constexpr double large = 20;
} // namespace IconSize

namespace CornerRadius {
inline constexpr double panel = 14;
inline constexpr double button = 8;
inline constexpr double thumbnail = 8;
inline constexpr double card = 10;
} // namespace CornerRadius

namespace DotSize {
inline constexpr double dense = 6;
inline constexpr double standard = 8;
} // namespace DotSize

namespace Layout {
inline constexpr double leftSidebar = 360;
inline constexpr double rightSidebar = 330;
} // namespace Layout

enum class Elevation { card, panel, floating };

struct Shadow {
    QColor color;
    double blurRadius = 0;
    QPointF offset;
};

Shadow shadow(Elevation elevation);

// Gives `widget` the drop shadow of `elevation`; its layout size is unchanged.
void applyElevation(QWidget& widget, Elevation elevation);

} // namespace ostreldesignkit::OstrelDesign
