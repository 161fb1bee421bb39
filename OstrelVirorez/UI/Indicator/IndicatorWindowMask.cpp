#include "OstrelVirorez/UI/Indicator/IndicatorWindowMask.hpp"

#include <QGuiApplication>
#include <QWidget>

#include <X11/Xlib.h>

#include <string>

namespace ostrelvirorez {

bool desktopComposites() {
    const auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 != nullptr ? x11->display() : nullptr;
    if (display == nullptr) return true;
    const std::string selection = "_NET_WM_CM_S" + std::to_string(DefaultScreen(display));
    return XGetSelectionOwner(display, XInternAtom(display, selection.c_str(), False)) != 0;
}

void IndicatorWindowMask::refresh() {
    composited_ = desktopComposites();
    if (composited_ && applied_) {
        window_.clearMask();
        applied_.reset();
    }
}

void IndicatorWindowMask::follow(const QRegion& outline) {
    if (composited_) return;
    // An empty mask would mean no mask at all: a pixel outside the window
    // shapes it to nothing instead.
    const QRegion mask = outline.isEmpty() ? QRegion(-1, -1, 1, 1) : outline;
    if (applied_ == mask) return;
    window_.setMask(mask);
    applied_ = mask;
}

} // namespace ostrelvirorez
