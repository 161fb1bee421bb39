#include "OstrelDesignKit/Status/StatusComponents.hpp"

#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelDesignKit/Tokens/LogicalFontSize.hpp"

#include <QFontDatabase>

#include <algorithm>

namespace ostreldesignkit {
namespace {

QFont systemFont(double size, QFont::Weight weight) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    setLogicalSize(font, size);
    font.setWeight(weight);
    return font;
}

} // namespace

QFont sectionHeaderFont() { return systemFont(13, QFont::Medium); }
QColor sectionHeaderColor() { return Color::ostrelTextSecondary(); }

QColor OstrelStatusDot::haloColor() const { return glow ? Color::withOpacity(color, 0.5) : QColor(Qt::transparent); }
double OstrelStatusDot::haloRadius() const { return glow ? 4 : 0; }

QFont OstrelPillBadge::font() const {
    QFont font = systemFont(12, QFont::Bold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, letterSpacing);
    return font;
}

QColor OstrelPillBadge::fill() const {
    return style == OstrelPillBadgeStyle::solid ? tint : Color::withOpacity(tint, 0.18);
}

QColor OstrelPillBadge::textColor() const { return style == OstrelPillBadgeStyle::solid ? QColor(Qt::white) : tint; }

QFont OstrelCountBadge::font() const {
    QFont font = systemFont(12, QFont::DemiBold);
    font.setStyleHint(QFont::Monospace); // equal-width digits
    return font;
}

double OstrelDividerLook::length(double offeredWidth) { return std::max(0.0, offeredWidth - 2 * sideInset); }

} // namespace ostreldesignkit
