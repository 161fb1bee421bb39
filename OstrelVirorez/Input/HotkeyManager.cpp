#include "OstrelVirorez/Input/HotkeyManager.hpp"

#include "OstrelVirorez/App/Log.hpp"
#include "OstrelVirorez/Input/HotkeyNames.hpp"
#include "Platform/Concurrency/MainQueue.hpp"
#include "Platform/Core/Logger.hpp"

#include <sstream>

namespace ostrelvirorez {
namespace {

// Keys reported only through flags-changed events.
const HotkeyManager::KeyCodes modifierKeyCodes{54, 55, 56, 58, 59, 60, 61, 62, 63};

constexpr std::uint64_t controlFlagsMask = 0x2001;

bool isModifierDown(HotkeyManager::KeyCode keyCode, std::uint64_t flags) {
    return (flags & modifierFlagBit(keyCode)) != 0;
}

bool isControlHeld(std::uint64_t flags) {
    return (flags & controlFlagsMask) != 0;
}

std::string joinedNames(const HotkeyManager::KeyCodes& codes) {
    std::string text;
    for (const auto code : codes) {
        if (!text.empty()) text += " / ";
        text += HotkeyNames::name(code);
    }
    return text;
}

} // namespace

HotkeyManager::HotkeyManager(platform::MainQueue& mainQueue, std::unique_ptr<KeyEventTap> tap)
    : mainQueue_(mainQueue), tap_(std::move(tap)), self_(std::make_shared<HotkeyManager*>(this)) {}

HotkeyManager::~HotkeyManager() {
    uninstall();
    *self_ = nullptr;
}

void HotkeyManager::install() {
    const bool enabled = tap_ && tap_->enable([this](const KeyEvent& event) { handleEvent(event); });
    if (!enabled) {
        logVirorez("HotkeyManager: Event Tap FAILED — Accessibility permission required");
        // The line above is the permission message; on this desktop the cause
        // is what the session lacks, said here.
        const std::string reason = tap_ ? tap_->unavailableReason() : "no source of key events";
        if (!reason.empty()) virorezLogger().warning("HotkeyManager: " + reason);
        publishTapActive(false);
        return;
    }
    tapInstalled_ = true;
    publishTapActive(true);
    logVirorez("HotkeyManager: installed — dictate: " + joinedNames(virorezKeyCodes_) +
               ", claude: " + joinedNames(claudeKeyCodes_));
}

void HotkeyManager::uninstall() {
    if (tapInstalled_) tap_->disable();
    tapInstalled_ = false;
    publishTapActive(false);
}

void HotkeyManager::publishTapActive(bool active) {
    mainQueue_.post([self = self_, active] {
        if (*self) (*self)->eventTapActive.set(active);
    });
}

void HotkeyManager::handleEvent(const KeyEvent& event) {
    switch (event.type) {
    case KeyEventType::keyDown: handleKeyDown(event.keyCode, event.flags); break;
    case KeyEventType::keyUp: handleKeyUp(event.keyCode, event.flags); break;
    case KeyEventType::flagsChanged: handleFlagsChanged(event.keyCode, event.flags); break;
    }
}

bool HotkeyManager::isConfiguredKey(KeyCode keyCode) const {
    return isVirorezKey(keyCode) || isClaudeKey(keyCode) || isClipboardKey(keyCode);
}

void HotkeyManager::handleKeyDown(KeyCode keyCode, std::uint64_t flags) {
    if (onCommitKeySignal_) {
        if (keyCode == 36 || keyCode == 76) onCommitKeySignal_(CorrectionCommitSignal::returnKey);
        else if (keyCode == 48) onCommitKeySignal_(CorrectionCommitSignal::tabKey);
    }
    if (modifierKeyCodes.contains(keyCode)) return;
    if (!isConfiguredKey(keyCode)) return;
    updateDiagnostic(keyCode, "DOWN (F-Key)");
    handleConfiguredKeyTransition(keyCode, true, isControlHeld(flags));
}

void HotkeyManager::handleKeyUp(KeyCode keyCode, std::uint64_t flags) {
    if (modifierKeyCodes.contains(keyCode)) return;
    if (!isConfiguredKey(keyCode)) return;
    updateDiagnostic(keyCode, "UP (F-Key)");
    handleConfiguredKeyTransition(keyCode, false, isControlHeld(flags));
}

void HotkeyManager::handleFlagsChanged(KeyCode keyCode, std::uint64_t flags) {
    const bool down = isModifierDown(keyCode, flags);
    updateDiagnostic(keyCode, down ? "DOWN" : "UP");
    if (down && controlKeyCodes.contains(keyCode) && isRecording_ && currentMode_ == DictationMode::raw) {
        for (const auto held : heldConfiguredKeys_) {
            if (isVirorezKey(held)) {
                upgradeToClipboard();
                break;
            }
        }
    }
    if (!isConfiguredKey(keyCode)) return;
    if (modifierKeyCodes.contains(keyCode)) handleConfiguredKeyTransition(keyCode, down, isControlHeld(flags));
}

void HotkeyManager::handleConfiguredKeyTransition(KeyCode keyCode, bool isDown, bool controlHeld) {
    if (isDown) {
        heldConfiguredKeys_.insert(keyCode);
        if (isRecording_) {
            if (currentMode_ == DictationMode::raw && (isClipboardKey(keyCode) || controlHeld)) upgradeToClipboard();
            return;
        }
        if (isClipboardKey(keyCode)) beginRecording(keyCode, DictationMode::clipboardRewrite);
        else if (isClaudeKey(keyCode)) beginRecording(keyCode, DictationMode::claude);
        else if (isVirorezKey(keyCode))
            beginRecording(keyCode, controlHeld ? DictationMode::clipboardRewrite : DictationMode::raw);
        return;
    }
    heldConfiguredKeys_.erase(keyCode);
    if (!isRecording_ || activeKey_ != keyCode) return;
    isRecording_ = false;
    activeKey_.reset();
    currentMode_.reset();
    if (onRecordingStop_) onRecordingStop_();
    logVirorez("HotkeyManager: recording STOP");
}

void HotkeyManager::beginRecording(KeyCode key, DictationMode mode) {
    isRecording_ = true;
    activeKey_ = key;
    currentMode_ = mode;
    if (onRecordingStart_) onRecordingStart_(mode);
    std::ostringstream line;
    line << "HotkeyManager: recording START (" << rawValue(mode) << ") key=0x" << std::hex << key;
    logVirorez(line.str());
}

void HotkeyManager::upgradeToClipboard() {
    if (!isRecording_ || currentMode_ == DictationMode::clipboardRewrite) return;
    currentMode_ = DictationMode::clipboardRewrite;
    if (onModeUpgrade_) onModeUpgrade_(DictationMode::clipboardRewrite);
    logVirorez("HotkeyManager: upgraded to clipboard rewrite mode");
}

void HotkeyManager::updateDiagnostic(KeyCode keyCode, const std::string& state) {
    const auto text = HotkeyNames::name(keyCode) + " " + state;
    logVirorez("HotkeyManager: " + text);
    mainQueue_.post([self = self_, text] {
        if (*self) (*self)->lastEventDescription.set(text);
    });
}

} // namespace ostrelvirorez
