#pragma once
// The application's three status colours, shared by the indicator and the
// settings views.

#include <QColor>

namespace ostrelvirorez::VirorezColors {

QColor success();
QColor claude();
QColor warning();

} // namespace ostrelvirorez::VirorezColors
