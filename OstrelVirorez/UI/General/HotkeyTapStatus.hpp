#pragma once
// What the diagnostics card shows of the hotkey listener: whether its key
// event tap runs and the last key event it saw, with a way to hear of changes.

#include "Platform/Core/Signal.hpp"

#include <functional>
#include <memory>
#include <string>

namespace ostrelvirorez {

class HotkeyListening;

class HotkeyTapStatus {
public:
    virtual ~HotkeyTapStatus() = default;

    virtual bool eventTapActive() const = 0;
    virtual std::string lastEventDescription() const = 0;
    [[nodiscard]] virtual platform::Connection observe(std::function<void()> changed) = 0;

    // The status of `listener` when it is the application's hotkey manager;
    // otherwise a tap that never runs and has seen no key ("—").
    static std::unique_ptr<HotkeyTapStatus> of(HotkeyListening& listener);
};

} // namespace ostrelvirorez
