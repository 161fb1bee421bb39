#pragma once
// Keeps the indicator's translucent window from covering the desktop where it
// draws nothing. Without a compositing manager nothing blends translucent
// windows, and their transparent pixels show as an opaque black block; there
// the window is shaped to what its view covers (the soft glow and shadows
// beyond that cannot blend anyway and are left out).

#include <QRegion>

#include <optional>

class QWidget;

namespace ostrelvirorez {

// Whether something blends translucent windows on the application's display:
// on X11, whether a compositing manager owns _NET_WM_CM_S<screen>; on any
// other platform (Wayland, offscreen) always.
bool desktopComposites();

class IndicatorWindowMask {
public:
    explicit IndicatorWindowMask(QWidget& window) : window_(window) {}

    // Asks the display again (a compositing manager may come and go).
    void refresh();
    // Shapes the window to `outline` while nothing composites (nothing shows
    // for an empty outline); leaves it whole otherwise.
    void follow(const QRegion& outline);
    bool isShaping() const { return !composited_; }

private:
    QWidget& window_;
    bool composited_ = true;
    std::optional<QRegion> applied_;
};

} // namespace ostrelvirorez
