#pragma once
// The two-column layout of the kit's translucent windows: a tinted background
// over the whole widget, a collapsible sidebar drawn on a rounded card, a
// strip at the card's edge that drags the sidebar's width between limits, and
// the content column taking the rest. Whether the sidebar is collapsed is the
// caller's: the shell never changes it. The dragged width lives only as long
// as the shell; collapsing keeps it.

#include "OstrelDesignKit/Appearance/OstrelAppearancePreset.hpp"
#include "OstrelDesignKit/Window/SidebarResize.hpp"
#include "OstrelDesignKit/Window/SplitShellGeometry.hpp"

#include <QVariantAnimation>
#include <QWidget>

namespace ostreldesignkit {

class OstrelSplitShell final : public QWidget {
public:
    static constexpr double cardCornerRadius = 14;
    static constexpr double cardRimOpacity = 0.06;
    static constexpr int collapseDurationMs = 200;

    // Takes ownership of `sidebar` and `content`.
    OstrelSplitShell(const ShellColors& colors, double minSidebarWidth, double idealSidebarWidth,
                     double maxSidebarWidth, QWidget* sidebar, QWidget* content, QWidget* parent = nullptr);

    const ShellColors& colors() const { return colors_; }
    void setColors(const ShellColors& colors);

    bool isSidebarCollapsed() const { return collapsed_; }
    // With `animated`, the card slides out to or in from the leading edge and
    // the content column follows, ease-in-out over 0.2 s.
    void setSidebarCollapsed(bool collapsed, bool animated = false);
    // The running (or last) collapse animation, for driving it step by step.
    QVariantAnimation& collapseAnimation() { return animation_; }

    double sidebarWidth() const { return resize_.width(); }
    SplitShellGeometry geometry() const;
    QWidget& sidebar() const { return *sidebar_; }
    QWidget& content() const { return *content_; }
    QWidget& resizeHandle() const { return *handle_; }

    // The resize strip's drag, as its pointer reports it: the horizontal
    // travel since the button went down, then the release.
    void sidebarDragChanged(double travel);
    void sidebarDragEnded();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void setReveal(double reveal);
    void placeChildren();

    ShellColors colors_;
    SidebarResize resize_;
    bool collapsed_ = false;
    double reveal_ = 1;
    QWidget* sidebar_; // owned by this widget
    QWidget* content_; // owned by this widget
    QWidget* handle_;  // owned by this widget
    QVariantAnimation animation_;
};

} // namespace ostreldesignkit
