#include "OstrelVirorez/UI/Indicator/ScreenDescription.hpp"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace ostrelvirorez {
namespace {

// Half-open in x and y, like the pointer-in-frame test of the desktop: a
// pointer on the far edge belongs to the neighbouring display.
bool frameContains(const QRectF& frame, QPointF point) {
    return point.x() >= frame.left() && point.x() < frame.right() && point.y() >= frame.top() &&
           point.y() < frame.bottom();
}

} // namespace

ScreenDescription ScreenDescription::of(const QScreen& screen) {
    return {QRectF(screen.geometry()), 0, {}, {}, QRectF(screen.availableGeometry())};
}

std::optional<ScreenDescription> screenUnderPointer(const std::vector<ScreenDescription>& screens,
                                                    std::optional<size_t> primaryIndex, QPointF pointer) {
    for (const auto& screen : screens) {
        if (frameContains(screen.frame, pointer)) return screen;
    }
    if (primaryIndex && *primaryIndex < screens.size()) return screens[*primaryIndex];
    if (!screens.empty()) return screens.front();
    return std::nullopt;
}

std::optional<ScreenDescription> screenUnderMouseCursor() {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return std::nullopt;
    std::vector<ScreenDescription> screens;
    std::optional<size_t> primary;
    const auto all = QGuiApplication::screens();
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (all[i] == QGuiApplication::primaryScreen()) primary = size_t(i);
        screens.push_back(ScreenDescription::of(*all[i]));
    }
    return screenUnderPointer(screens, primary, QPointF(QCursor::pos()));
}

} // namespace ostrelvirorez
