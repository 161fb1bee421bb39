#pragma once
// Builds the content of a sheet of the settings window. `dismiss` closes the
// sheet; the sheet's own buttons call it.

#include "OstrelVirorez/UI/Settings/SettingsEnvironment.hpp"
#include "OstrelVirorez/UI/SettingsSheet.hpp"

#include <functional>
#include <memory>

class QWidget;

namespace ostrelvirorez {

// The origin the feedback sheet records when opened from the settings window.
inline constexpr const char* feedbackSheetOrigin = "Einstellungen";

std::unique_ptr<QWidget> makeSettingsSheet(SettingsSheet sheet, const SettingsEnvironment& environment,
                                           std::function<void()> dismiss, QWidget* parent = nullptr);

} // namespace ostrelvirorez
