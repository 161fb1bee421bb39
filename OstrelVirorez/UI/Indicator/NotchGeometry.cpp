#include "OstrelVirorez/UI/Indicator/NotchGeometry.hpp"

namespace ostrelvirorez {

NotchGeometry::NotchGeometry(const std::optional<ScreenDescription>& screen) {
    update(screen.value_or(ScreenDescription{}));
}

template <typename T>
void NotchGeometry::assign(T& field, T value) {
    field = value;
    changed.emit();
}

void NotchGeometry::setPresented(bool presented) { assign(isPresented_, presented); }

void NotchGeometry::update(const ScreenDescription& screen) {
    const double top = screen.topInset;
    assign(hasNotch_, top > 0);
    if (!hasNotch_) {
        assign(notchWidth_, 0.0);
        assign(notchHeight_, barHeight);
        return;
    }
    assign(notchHeight_, top);
    if (!screen.auxiliaryTopLeftArea || !screen.auxiliaryTopRightArea) {
        assign(notchWidth_, defaultNotchWidth);
        return;
    }
    // The strips beside the housing leave its own width, widened by 4.
    assign(notchWidth_,
           screen.frame.width() - screen.auxiliaryTopLeftArea->width() - screen.auxiliaryTopRightArea->width() + 4);
}

} // namespace ostrelvirorez
