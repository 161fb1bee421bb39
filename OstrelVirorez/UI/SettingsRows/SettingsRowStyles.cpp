#include "OstrelVirorez/UI/SettingsRows/SettingsRowStyles.hpp"

#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/UI/SettingsRows/VirorezColors.hpp"

namespace ostrelvirorez {

using ostreldesignkit::Color;

ostreldesignkit::ButtonLook OstrelDestructiveButtonStyle::look(bool pressed) {
    return {Color::withOpacity(Color::ostrelRecording(), pressed ? 0.25 : 0.12),
            Color::withOpacity(Color::ostrelRecording(), 0.3), pressed ? 0.8 : 1.0, cornerRadius, false};
}

QColor statusDotColor(bool active) { return active ? VirorezColors::success() : Color::ostrelRecording(); }

} // namespace ostrelvirorez
