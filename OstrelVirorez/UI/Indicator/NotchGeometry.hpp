#pragma once
// The measured camera housing at the top of the display the notch indicator
// wraps around; without a housing, the height of the bar shown instead.
// Every assignment notifies `changed`. Exactly one exists, owned by the
// indicator coordinator. Main thread only.

#include "OstrelVirorez/UI/Indicator/ScreenDescription.hpp"
#include "Platform/Core/Signal.hpp"

#include <optional>

namespace ostrelvirorez {

class NotchGeometry {
public:
    static constexpr double defaultNotchWidth = 185;
    static constexpr double barHeight = 32;

    // Measures `screen`; a missing screen leaves the no-housing values.
    explicit NotchGeometry(const std::optional<ScreenDescription>& screen);

    bool hasNotch() const { return hasNotch_; }
    double notchWidth() const { return notchWidth_; }
    double notchHeight() const { return notchHeight_; }
    bool isPresented() const { return isPresented_; }
    void setPresented(bool presented);

    // Re-measures from `screen`; never touches `isPresented`.
    void update(const ScreenDescription& screen);

    platform::Signal<> changed;

private:
    template <typename T>
    void assign(T& field, T value);

    bool hasNotch_ = false;
    double notchWidth_ = 0;
    double notchHeight_ = 0;
    bool isPresented_ = false;
};

} // namespace ostrelvirorez
