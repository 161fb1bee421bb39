#pragma once
// What the application state needs of the global hotkey listener: the three
// key sets, one per dictation mode, the three callbacks of the hold-to-talk
// protocol, and installing the key event tap.

#include "OstrelVirorez/Model/DictationMode.hpp"

#include <cstdint>
#include <functional>
#include <set>

namespace ostrelvirorez {

class HotkeyListening {
public:
    using KeyCodes = std::set<std::uint16_t>;

    virtual ~HotkeyListening() = default;

    virtual KeyCodes virorezKeyCodes() const = 0;
    virtual void setVirorezKeyCodes(KeyCodes codes) = 0;
    virtual KeyCodes claudeKeyCodes() const = 0;
    virtual void setClaudeKeyCodes(KeyCodes codes) = 0;
    virtual KeyCodes clipboardKeyCodes() const = 0;
    virtual void setClipboardKeyCodes(KeyCodes codes) = 0;

    // Called from the event tap on the main queue.
    virtual void setOnRecordingStart(std::function<void(DictationMode)> callback) = 0;
    virtual void setOnRecordingStop(std::function<void()> callback) = 0;
    virtual void setOnModeUpgrade(std::function<void(DictationMode)> callback) = 0;

    // Failures are the listener's to log.
    virtual void install() = 0;
    virtual void uninstall() = 0;
};

} // namespace ostrelvirorez
