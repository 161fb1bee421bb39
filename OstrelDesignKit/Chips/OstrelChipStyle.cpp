#include "OstrelDesignKit/Chips/OstrelChipStyle.hpp"

#include "OstrelDesignKit/Tokens/Color.hpp"

namespace ostreldesignkit {
namespace {

const QColor clear(Qt::transparent);

} // namespace

QMarginsF OstrelChipChrome::padding() const {
    return size == OstrelChipSize::comfortable ? QMarginsF(10, 6, 10, 6) : QMarginsF(8, 4, 8, 4);
}

QColor OstrelChipChrome::fill() const {
    using K = OstrelChipStyle::Kind;
    switch (style.kind) {
    case K::standard: return isSelected ? Color::withOpacity(tint, 0.2) : Color::ostrelChipFill();
    case K::plain:
    case K::tabBare: return clear;
    case K::colored: return isSelected ? Color::withOpacity(style.color, 0.9) : Color::ostrelChipFill();
    }
    return clear;
}

QColor OstrelChipChrome::outline() const {
    using K = OstrelChipStyle::Kind;
    switch (style.kind) {
    case K::standard: return isSelected ? Color::withOpacity(tint, 0.5) : clear;
    case K::plain: return isSelected ? Color::withOpacity(tint, 0.5) : Color::ostrelAccentStrokeFaint();
    case K::tabBare: return clear;
    case K::colored: return isSelected ? clear : Color::withOpacity(style.color, 0.3);
    }
    return clear;
}

QColor chipTextColor(const OstrelChipChrome& chrome, bool isDisabled) {
    using K = OstrelChipStyle::Kind;
    if (isDisabled) return Color::ostrelTextTertiary();
    switch (chrome.style.kind) {
    case K::standard:
    case K::plain: return chrome.isSelected ? chrome.tint : Color::ostrelTextSecondary();
    case K::tabBare: return chrome.isSelected ? QColor(Qt::white) : Color::ostrelTextSecondary();
    case K::colored: return chrome.isSelected ? QColor(Qt::white) : chrome.style.color;
    }
    return Color::ostrelTextSecondary();
}

} // namespace ostreldesignkit
