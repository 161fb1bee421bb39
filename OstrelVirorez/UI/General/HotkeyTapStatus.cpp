#include "OstrelVirorez/UI/General/HotkeyTapStatus.hpp"

#include "OstrelVirorez/Input/HotkeyManager.hpp"

#include <memory>
#include <utility>

namespace ostrelvirorez {
namespace {

class ManagerTapStatus final : public HotkeyTapStatus {
public:
    explicit ManagerTapStatus(HotkeyManager& manager) : manager_(manager) {}

    bool eventTapActive() const override { return manager_.eventTapActive.get(); }
    std::string lastEventDescription() const override { return manager_.lastEventDescription.get(); }
    platform::Connection observe(std::function<void()> changed) override {
        auto both = std::make_shared<std::pair<platform::Connection, platform::Connection>>(
            manager_.eventTapActive.observe([changed](const bool&) { changed(); }),
            manager_.lastEventDescription.observe([changed](const std::string&) { changed(); }));
        return platform::Connection([both] {
            both->first.disconnect();
            both->second.disconnect();
        });
    }

private:
    HotkeyManager& manager_;
};

class AbsentTapStatus final : public HotkeyTapStatus {
public:
    bool eventTapActive() const override { return false; }
    std::string lastEventDescription() const override { return "—"; }
    platform::Connection observe(std::function<void()>) override { return {}; }
};

} // namespace

std::unique_ptr<HotkeyTapStatus> HotkeyTapStatus::of(HotkeyListening& listener) {
    if (auto* manager = dynamic_cast<HotkeyManager*>(&listener)) return std::make_unique<ManagerTapStatus>(*manager);
    return std::make_unique<AbsentTapStatus>();
}

} // namespace ostrelvirorez
