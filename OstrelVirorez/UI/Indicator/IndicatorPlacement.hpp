#pragma once
// Where the indicator's panel stands: its size per style and its top-left
// corner on a display (y growing downward). Every style is centred on the full
// display frame; the notch panel hangs from the display's top edge, the others
// stand 20 pt inside the visible frame's top (island, free) or bottom (dock).

#include "OstrelVirorez/Model/SettingEnums.hpp"

#include <QPointF>
#include <QRectF>
#include <QSizeF>

namespace ostrelvirorez {

struct IndicatorPlacement {
    static constexpr double edgeMargin = 20;
    static constexpr double notchExtensionWidth = 60;
    static constexpr double overlayClosedWidth = 280;

    static QSizeF panelSize(IndicatorStyle style);
    // `frame` is the display's whole frame, `visibleFrame` the frame less
    // panels and docks.
    static QPointF panelOrigin(IndicatorStyle style, PillPosition position, QSizeF panel, const QRectF& frame,
                               const QRectF& visibleFrame);
};

} // namespace ostrelvirorez
