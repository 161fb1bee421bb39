#pragma once
// Where a wrapping layout puts its children: left to right in lines, a new
// line whenever the next child would cross the offered width. Each child keeps
// its ideal size; a child wider than the offer overflows its own line.

#include <QPointF>
#include <QSizeF>

#include <optional>
#include <span>
#include <vector>

namespace ostreldesignkit {

struct FlowArrangement {
    // Widest line (without a trailing spacing) by the bottom of the last line.
    QSizeF size;
    std::vector<QPointF> positions;
};

// `offeredWidth` absent means unbounded (one line).
FlowArrangement arrangeFlow(std::optional<double> offeredWidth, std::span<const QSizeF> childSizes, double spacing);

} // namespace ostreldesignkit
