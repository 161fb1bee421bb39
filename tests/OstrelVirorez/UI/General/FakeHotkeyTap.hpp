#pragma once
// A hotkey tap status the test sets by hand; each change is announced.

#include "OstrelVirorez/UI/General/HotkeyTapStatus.hpp"

#include <string>
#include <utility>

namespace ostrelvirorez::testing {

class FakeHotkeyTap final : public HotkeyTapStatus {
public:
    bool eventTapActive() const override { return active; }
    std::string lastEventDescription() const override { return lastEvent; }
    platform::Connection observe(std::function<void()> changed) override {
        return announced.connect([changed = std::move(changed)] { changed(); });
    }
    void set(bool isActive, std::string event) {
        active = isActive;
        lastEvent = std::move(event);
        announced.emit();
    }

    bool active = true;
    std::string lastEvent = "—";
    platform::Signal<> announced;
};

} // namespace ostrelvirorez::testing
