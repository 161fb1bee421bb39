// The application state's glue between the settings' hotkey lists, the
// hotkey listener and the Caps Lock mapping.

#include "OstrelVirorez/App/AppState.hpp"

#include "OstrelVirorez/App/Log.hpp"
#include "OstrelVirorez/Input/HotkeyNames.hpp"
#include "OstrelVirorez/Model/AppSettings.hpp"
#include "Platform/Concurrency/MainQueue.hpp"
#include "Platform/Defaults/UserDefaults.hpp"

#include <algorithm>
#include <limits>

namespace ostrelvirorez {

namespace {

// The key that Caps Lock produces once it is remapped.
constexpr KeyCode capsLockKeyCode = 80;

bool fitsKeyCode(KeyCode code) {
    return code >= 0 && code <= std::numeric_limits<std::uint16_t>::max();
}

// A stored code outside the listener's 16-bit range can name no key; it is skipped.
HotkeyListening::KeyCodes keyCodeSet(const std::vector<KeyCode>& codes) {
    HotkeyListening::KeyCodes set;
    for (const KeyCode code : codes) {
        if (fitsKeyCode(code)) set.insert(static_cast<std::uint16_t>(code));
    }
    return set;
}

std::string keyNames(const std::vector<KeyCode>& codes) {
    std::string names;
    for (const KeyCode code : codes) {
        if (!fitsKeyCode(code)) continue;
        if (!names.empty()) names += " / ";
        names += HotkeyNames::name(static_cast<std::uint16_t>(code));
    }
    return names;
}

bool holdsCapsLock(const std::vector<KeyCode>& codes) {
    return std::find(codes.begin(), codes.end(), capsLockKeyCode) != codes.end();
}

} // namespace

void AppState::configureHotkeys() {
    HotkeyListening& hotkeys = *services_.hotkeyManager;
    const AppSettings& settings = services_.settings;
    hotkeys.setVirorezKeyCodes(keyCodeSet(settings.virorezKeyCodes()));
    hotkeys.setClaudeKeyCodes(keyCodeSet(settings.claudeKeyCodes()));
    hotkeys.setClipboardKeyCodes(keyCodeSet(settings.clipboardKeyCodes()));
    applyCapsLockDecision();
    services_.capsLockRemapper->installTerminationGuard();

    hotkeys.setOnRecordingStart([weak = weakSelf(), queue = &mainQueue()](DictationMode mode) {
        queue->post([weak, mode] {
            if (const auto self = weak.lock()) self->startRecording(mode);
        });
    });
    hotkeys.setOnRecordingStop([weak = weakSelf(), queue = &mainQueue()] {
        queue->post([weak] {
            if (const auto self = weak.lock()) self->stopRecording();
        });
    });
    hotkeys.setOnModeUpgrade([weak = weakSelf(), queue = &mainQueue()](DictationMode mode) {
        queue->post([weak, mode] {
            if (const auto self = weak.lock()) self->upgradeRecordingMode(mode);
        });
    });
    hotkeys.install();
}

void AppState::applyCapsLockDecision() {
    const AppSettings& settings = services_.settings;
    if (holdsCapsLock(settings.virorezKeyCodes()) || holdsCapsLock(settings.claudeKeyCodes()) ||
        holdsCapsLock(settings.clipboardKeyCodes())) {
        services_.capsLockRemapper->apply();
    } else {
        services_.capsLockRemapper->revert();
    }
}

void AppState::observeHotkeySettings() {
    // Any change of any user default restarts the wait; only the last change
    // of a burst leads to a sync.
    auto debounce = [weak = weakSelf(), queue = &mainQueue()] {
        const auto self = weak.lock();
        if (!self) return;
        self->hotkeySyncTask_.cancel();
        self->hotkeySyncTask_ = queue->postAfter(hotkeySettingsDebounce, [weak] {
            if (const auto self = weak.lock()) self->syncHotkeyCodesFromSettings();
        });
    };
    settingsCancellables_.push_back(
        services_.settings.userDefaults().changed().connect([debounce, queue = &mainQueue()](const std::string&) {
            if (queue->isCurrent()) {
                debounce();
            } else {
                queue->post(debounce);
            }
        }));
}

void AppState::syncHotkeyCodesFromSettings() {
    const AppSettings& settings = services_.settings;
    const std::vector<KeyCode> virorezList = settings.virorezKeyCodes();
    const std::vector<KeyCode> claudeList = settings.claudeKeyCodes();
    const std::vector<KeyCode> clipboardList = settings.clipboardKeyCodes();
    const auto virorezSet = keyCodeSet(virorezList);
    const auto claudeSet = keyCodeSet(claudeList);
    const auto clipboardSet = keyCodeSet(clipboardList);

    HotkeyListening& hotkeys = *services_.hotkeyManager;
    if (virorezSet != hotkeys.virorezKeyCodes()) {
        hotkeys.setVirorezKeyCodes(virorezSet);
        logVirorez("Davavaz hotkeys updated: " + keyNames(virorezList));
    }
    if (claudeSet != hotkeys.claudeKeyCodes()) {
        hotkeys.setClaudeKeyCodes(claudeSet);
        logVirorez("Claude hotkeys updated: " + keyNames(claudeList));
    }
    if (clipboardSet != hotkeys.clipboardKeyCodes()) {
        hotkeys.setClipboardKeyCodes(clipboardSet);
        logVirorez("Clipboard hotkeys updated: " + keyNames(clipboardList));
    }
    applyCapsLockDecision();
}

} // namespace ostrelvirorez
