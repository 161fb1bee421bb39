#pragma once
// The application's activation policy as its windows follow it: accessory
// (the start-up policy) keeps the settings window off the taskbar, regular
// gives it a taskbar entry like any other window. Shared between the
// application state's port and the status-bar controller. Main thread only.

#include "OstrelVirorez/App/Ports/ActivationPolicySetting.hpp"
#include "Platform/Core/Signal.hpp"

#include <functional>

namespace ostrelvirorez {

class ActivationPolicyState {
public:
    ActivationPolicy policy() const { return policy_; }
    // Tells the observers only when the policy changes.
    void set(ActivationPolicy policy);
    [[nodiscard]] platform::Connection observe(std::function<void(ActivationPolicy)> observer);

private:
    ActivationPolicy policy_ = ActivationPolicy::accessory;
    platform::Signal<ActivationPolicy> changed_;
};

} // namespace ostrelvirorez
