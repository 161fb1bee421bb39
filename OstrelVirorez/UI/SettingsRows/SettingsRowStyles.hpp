#pragma once
// The numbers and colours of the settings building blocks: the red button
// style of destructive actions, the status dot's colour and the row and
// divider metrics.

#include "OstrelDesignKit/Glass/ButtonStyle.hpp"

#include <QColor>

namespace ostrelvirorez {

struct OstrelDestructiveButtonStyle {
    static constexpr double cornerRadius = 8;
    static QMarginsF padding() { return {12, 8, 12, 8}; }
    static ostreldesignkit::ButtonLook look(bool pressed);
};

// Green while active, else the recording red.
QColor statusDotColor(bool active);

struct SettingsRowMetrics {
    static constexpr double iconColumnWidth = 20;
    static constexpr double spacing = 8;
    static constexpr double verticalPadding = 6;
    static constexpr double titleSize = 15;
    static constexpr double sectionSpacing = 8;
    static constexpr double sectionHeaderInset = 4;
    static constexpr double cardPadding = 12;
    static constexpr double cardCornerRadius = 14;
    static constexpr double cardOpacity = 0.45;
    static constexpr double dividerPadding = 2; // above and below the 1 pt line
};

} // namespace ostrelvirorez
