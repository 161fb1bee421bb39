#include "OstrelVirorez/UI/General/DiagnosticsModel.hpp"

#include "OstrelVirorez/App/AppState.hpp"
#include "OstrelVirorez/App/Ports/PermissionChecking.hpp"
#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/UI/General/HotkeyTapStatus.hpp"
#include "OstrelVirorez/UI/General/LinuxKeyNames.hpp"
#include "Platform/Defaults/UserDefaults.hpp"

namespace ostrelvirorez {

using namespace general;

DiagnosticsModel::DiagnosticsModel(AppSettings& settings, AppState& appState, PermissionChecking& permissions,
                                   HotkeyTapStatus& hotkeyTap)
    : settings_(settings), appState_(appState), permissions_(permissions), hotkeyTap_(hotkeyTap) {
    watches_.push_back(settings_.userDefaults().changed().connect([this](const std::string&) { changed_.emit(); }));
    watches_.push_back(appState_.state.observe([this](const DictationState&) { changed_.emit(); }));
    watches_.push_back(
        appState_.lastErrorMessage.observe([this](const std::optional<std::string>&) { changed_.emit(); }));
    watches_.push_back(hotkeyTap_.observe([this] { changed_.emit(); }));
}

bool DiagnosticsModel::accessibilityTrusted() const { return permissions_.isAccessibilityTrusted(); }

void DiagnosticsModel::requestAccessibility() { permissions_.requestAccessibilityTrust(); }

bool DiagnosticsModel::eventTapActive() const { return hotkeyTap_.eventTapActive(); }

std::string DiagnosticsModel::lastKeyEvent() const { return linuxKeyText(hotkeyTap_.lastEventDescription()); }

std::string DiagnosticsModel::dictationKeys() const { return linuxKeyNames(settings_.virorezKeyCodes()); }

std::string DiagnosticsModel::claudeKeys() const { return linuxKeyNames(settings_.claudeKeyCodes()); }

std::string DiagnosticsModel::stateText() const { return appState_.stateDescription(); }

std::optional<std::string> DiagnosticsModel::lastError() const { return appState_.lastErrorMessage.get(); }

} // namespace ostrelvirorez
