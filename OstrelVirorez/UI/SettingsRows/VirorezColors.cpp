#include "OstrelVirorez/UI/SettingsRows/VirorezColors.hpp"

namespace ostrelvirorez::VirorezColors {

QColor success() { return QColor::fromRgbF(0.2f, 0.78f, 0.35f); }
QColor claude() { return QColor::fromRgbF(0.69f, 0.32f, 0.87f); }
QColor warning() { return QColor::fromRgbF(1.0f, 0.58f, 0.0f); }

} // namespace ostrelvirorez::VirorezColors
