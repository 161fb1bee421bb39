#pragma once
// The sheets the settings window can present over its content.

namespace ostrelvirorez {

enum class SettingsSheet { feedback, onboarding };

} // namespace ostrelvirorez
