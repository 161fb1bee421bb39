#pragma once
// What the indicator needs to know of a display: its frame and, for displays
// with a camera housing in the top edge, the top safe-area inset and the menu
// bar strips left and right of the housing. Linux displays have no housing,
// so a real run describes every screen with a top inset of 0.

#include <QRectF>

#include <optional>
#include <vector>

class QScreen;

namespace ostrelvirorez {

struct ScreenDescription {
    QRectF frame;        // global coordinates, y growing downward
    double topInset = 0; // height of the housing, 0 without one
    std::optional<QRectF> auxiliaryTopLeftArea;
    std::optional<QRectF> auxiliaryTopRightArea;
    // The frame less panels and docks; absent when it is the whole frame.
    std::optional<QRectF> visibleFrame{};

    QRectF usableFrame() const { return visibleFrame.value_or(frame); }
    static ScreenDescription of(const QScreen& screen);
};

// The display whose frame contains `pointer` (first in list order), else the
// primary one, else the first; nothing when there is no display at all.
std::optional<ScreenDescription> screenUnderPointer(const std::vector<ScreenDescription>& screens,
                                                    std::optional<size_t> primaryIndex, QPointF pointer);

// The same for the running application's screens and pointer.
std::optional<ScreenDescription> screenUnderMouseCursor();

} // namespace ostrelvirorez
