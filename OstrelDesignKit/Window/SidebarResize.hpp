#pragma once
// The split shell's sidebar width under drags of its resize handle: each
// change is the width when the drag began plus the total travel, raised to
// the lower limit and then lowered to the upper one.

#include <optional>

namespace ostreldesignkit {

class SidebarResize {
public:
    static constexpr double minimumTravel = 1; // before a drag is recognised

    SidebarResize(double idealWidth, double minWidth, double maxWidth)
        : width_(idealWidth), minWidth_(minWidth), maxWidth_(maxWidth) {}

    double width() const { return width_; }
    bool isDragging() const { return dragStartWidth_.has_value(); }

    // `travel` is the pointer's horizontal travel since the button went down.
    void dragChanged(double travel);
    void dragEnded() { dragStartWidth_.reset(); }

private:
    double width_;
    double minWidth_;
    double maxWidth_;
    std::optional<double> dragStartWidth_;
};

} // namespace ostreldesignkit
