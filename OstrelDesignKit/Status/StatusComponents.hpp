#pragma once
// The looks of the kit's small display components: section header, status
// dot, pill badge, count badge and hairline divider. Stateless values the
// widgets draw from.

#include <QColor>
#include <QFont>
#include <QMarginsF>
#include <QString>

namespace ostreldesignkit {

// System font at 13 pt, medium, in the secondary text colour.
QFont sectionHeaderFont();
QColor sectionHeaderColor();

struct OstrelStatusDot {
    QColor color;
    double size = 8;
    bool glow = false;

    // The halo: transparent with radius 0 when not glowing; never offset.
    QColor haloColor() const;
    double haloRadius() const;
};

enum class OstrelPillBadgeStyle { soft, solid };

struct OstrelPillBadge {
    QString text;
    QColor tint;
    OstrelPillBadgeStyle style = OstrelPillBadgeStyle::soft;

    static constexpr double letterSpacing = 0.3;
    static QMarginsF padding() { return {6, 2, 6, 2}; }

    QString shownText() const { return text.toUpper(); }
    QFont font() const;
    QColor fill() const;
    QColor textColor() const;
};

struct OstrelCountBadge {
    long long count = 0;
    QColor tint;

    // Plain decimal digits, a leading minus for negatives, no grouping.
    QString shownText() const { return QString::number(count); }
    QFont font() const;
};

// The kit divider: 1 pt high, 12 pt clear on its left and right.
struct OstrelDividerLook {
    static constexpr double thickness = 1;
    static constexpr double sideInset = 12;
    static double length(double offeredWidth);
};

} // namespace ostreldesignkit
