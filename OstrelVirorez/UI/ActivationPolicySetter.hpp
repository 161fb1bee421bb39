#pragma once
// The application state's way to set the activation policy: writes the
// shared policy that the settings window follows.

#include "OstrelVirorez/App/Ports/ActivationPolicySetting.hpp"

#include <memory>

namespace ostrelvirorez {

class ActivationPolicyState;

class ActivationPolicySetter final : public ActivationPolicySetting {
public:
    explicit ActivationPolicySetter(std::shared_ptr<ActivationPolicyState> state);

    void setActivationPolicy(ActivationPolicy policy) override;

private:
    std::shared_ptr<ActivationPolicyState> state_;
};

} // namespace ostrelvirorez
