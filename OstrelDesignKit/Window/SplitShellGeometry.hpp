#pragma once
// Where the split shell puts its parts in a given size: the sidebar card
// (inside 8 pt of clear margin), the 9 pt resize strip that reaches 8 pt back
// over the card's margin and takes 1 pt of the row, and the content column.
// `reveal` runs from 0 (sidebar collapsed, content spans the whole width) to
// 1 (sidebar shown); in between the card slides in from the leading edge.

#include <QRectF>
#include <QSizeF>

namespace ostreldesignkit {

struct SplitShellGeometry {
    static constexpr double cardMargin = 8;
    static constexpr double handleWidth = 9;
    static constexpr double handleOverlap = 8; // how far the strip reaches back over the card's margin

    QRectF sidebarCard; // the sidebar view and the card behind it
    QRectF handle;
    QRectF content;

    static SplitShellGeometry make(QSizeF size, double sidebarWidth, double reveal);
};

} // namespace ostreldesignkit
