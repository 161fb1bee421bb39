#pragma once
// The measures of an indicator's drawn shape, and how a view wants each of
// them (and the cross-fade of its content between two states) to move when
// it changes: over its own duration, along its own curve.

#include "OstrelVirorez/UI/Indicator/Tween.hpp"

#include <chrono>

namespace ostrelvirorez {

struct ShapeMeasures {
    double width = 0;
    double height = 0;
    double cornerRadius = 0;
    bool operator==(const ShapeMeasures&) const = default;
};

struct Easing {
    std::chrono::milliseconds duration{0};
    Curve curve = Curve::linear;
};

struct ShapeTiming {
    Easing width;
    Easing height;
    Easing cornerRadius;
    Easing content;
};

} // namespace ostrelvirorez
