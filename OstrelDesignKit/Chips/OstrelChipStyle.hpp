#pragma once
// How a chip is painted: its style, size and the colours that follow from
// style, tint, selection and enablement.

#include <QColor>
#include <QMarginsF>

#include <optional>

namespace ostreldesignkit {

struct OstrelChipStyle {
    enum class Kind { colored, standard, plain, tabBare };
    Kind kind = Kind::standard;
    QColor color; // the carried colour of `colored`

    static OstrelChipStyle colored(QColor color) { return {Kind::colored, color}; }
    static OstrelChipStyle standard() { return {Kind::standard, {}}; }
    static OstrelChipStyle plain() { return {Kind::plain, {}}; }
    static OstrelChipStyle tabBare() { return {Kind::tabBare, {}}; }

    bool operator==(const OstrelChipStyle& other) const {
        return kind == other.kind && (kind != Kind::colored || color == other.color);
    }
};

enum class OstrelChipSize { compact, comfortable };

// The chip's background and outline: fill and 1 pt inner outline of a
// rounded rectangle (radius 8) around the padded content.
struct OstrelChipChrome {
    bool isSelected = false;
    QColor tint;
    OstrelChipStyle style;
    OstrelChipSize size = OstrelChipSize::compact;

    static constexpr double cornerRadius = 8;

    QMarginsF padding() const;
    QColor fill() const;    // transparent for none
    QColor outline() const; // transparent for none
};

// The chip's text (and icon) colour.
QColor chipTextColor(const OstrelChipChrome& chrome, bool isDisabled);

} // namespace ostreldesignkit
