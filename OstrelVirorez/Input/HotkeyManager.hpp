#pragma once
// Turns global key presses into the hold-to-talk protocol: holding a key of
// one of three configurable sets starts a recording in that set's mode,
// releasing the key that started it stops it, and a Control key or a
// clipboard key joining a raw recording upgrades it to a clipboard rewrite.
// Return, keypad Enter and Tab are reported for correction learning. It only
// reports; the owner decides what a start, stop or upgrade does.
// Confined to the main queue.

#include "OstrelVirorez/App/Ports/HotkeyListening.hpp"
#include "OstrelVirorez/Input/CorrectionCommitSignal.hpp"
#include "OstrelVirorez/Input/KeyEvent.hpp"
#include "OstrelVirorez/Input/KeyEventTap.hpp"
#include "OstrelVirorez/Model/DictationMode.hpp"
#include "Platform/Core/Signal.hpp"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace platform {
class MainQueue;
}

namespace ostrelvirorez {

class HotkeyManager final : public HotkeyListening {
public:
    using KeyCode = std::uint16_t;

    // The two Control keys, which upgrade a raw recording.
    static inline const KeyCodes controlKeyCodes{59, 62};

    // `tap` delivers the session's key events; makeSystemKeyEventTap() gives
    // the desktop's.
    HotkeyManager(platform::MainQueue& mainQueue, std::unique_ptr<KeyEventTap> tap);
    ~HotkeyManager() override;
    HotkeyManager(const HotkeyManager&) = delete;
    HotkeyManager& operator=(const HotkeyManager&) = delete;

    // Replaced by the owner at any time; they take effect with the next event.
    KeyCodes virorezKeyCodes() const override { return virorezKeyCodes_; }
    void setVirorezKeyCodes(KeyCodes codes) override { virorezKeyCodes_ = std::move(codes); }
    KeyCodes claudeKeyCodes() const override { return claudeKeyCodes_; }
    void setClaudeKeyCodes(KeyCodes codes) override { claudeKeyCodes_ = std::move(codes); }
    KeyCodes clipboardKeyCodes() const override { return clipboardKeyCodes_; }
    void setClipboardKeyCodes(KeyCodes codes) override { clipboardKeyCodes_ = std::move(codes); }

    // Called on the main queue as events arrive.
    void setOnRecordingStart(std::function<void(DictationMode)> callback) override {
        onRecordingStart_ = std::move(callback);
    }
    void setOnRecordingStop(std::function<void()> callback) override { onRecordingStop_ = std::move(callback); }
    void setOnModeUpgrade(std::function<void(DictationMode)> callback) override {
        onModeUpgrade_ = std::move(callback);
    }
    // Return, keypad Enter and Tab key-down, whether or not a recording runs.
    void setOnCommitKeySignal(std::function<void(CorrectionCommitSignal)> callback) {
        onCommitKeySignal_ = std::move(callback);
    }

    // Written on the main queue only.
    platform::Observable<bool> eventTapActive{false};
    platform::Observable<std::string> lastEventDescription{"—"};

    // Starts listening. Does not remove an earlier tap: uninstall first to
    // install again.
    void install() override;
    void uninstall() override;

    bool isRecording() const { return isRecording_; }
    std::optional<KeyCode> activeKey() const { return activeKey_; }
    std::optional<DictationMode> currentMode() const { return currentMode_; }
    const KeyCodes& heldConfiguredKeys() const { return heldConfiguredKeys_; }

private:
    void handleEvent(const KeyEvent& event);
    void handleKeyDown(KeyCode keyCode, std::uint64_t flags);
    void handleKeyUp(KeyCode keyCode, std::uint64_t flags);
    void handleFlagsChanged(KeyCode keyCode, std::uint64_t flags);
    void handleConfiguredKeyTransition(KeyCode keyCode, bool isDown, bool controlHeld);
    void beginRecording(KeyCode key, DictationMode mode);
    void upgradeToClipboard();
    void updateDiagnostic(KeyCode keyCode, const std::string& state);
    bool isVirorezKey(KeyCode keyCode) const { return virorezKeyCodes_.contains(keyCode); }
    bool isClaudeKey(KeyCode keyCode) const { return claudeKeyCodes_.contains(keyCode); }
    bool isClipboardKey(KeyCode keyCode) const { return clipboardKeyCodes_.contains(keyCode); }
    bool isConfiguredKey(KeyCode keyCode) const;
    void publishTapActive(bool active);

    platform::MainQueue& mainQueue_;
    std::unique_ptr<KeyEventTap> tap_;
    KeyCodes virorezKeyCodes_{54};
    KeyCodes claudeKeyCodes_{61};
    KeyCodes clipboardKeyCodes_{62};
    std::function<void(DictationMode)> onRecordingStart_;
    std::function<void()> onRecordingStop_;
    std::function<void(DictationMode)> onModeUpgrade_;
    std::function<void(CorrectionCommitSignal)> onCommitKeySignal_;
    bool tapInstalled_ = false;
    // Lets queued publications see whether the manager is still alive.
    std::shared_ptr<HotkeyManager*> self_;
    bool isRecording_ = false;
    std::optional<KeyCode> activeKey_;
    std::optional<DictationMode> currentMode_;
    KeyCodes heldConfiguredKeys_;
};

} // namespace ostrelvirorez
