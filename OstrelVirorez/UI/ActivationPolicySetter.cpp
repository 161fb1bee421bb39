#include "OstrelVirorez/UI/ActivationPolicySetter.hpp"

#include "OstrelVirorez/UI/ActivationPolicyState.hpp"

#include <utility>

namespace ostrelvirorez {

ActivationPolicySetter::ActivationPolicySetter(std::shared_ptr<ActivationPolicyState> state)
    : state_(std::move(state)) {}

void ActivationPolicySetter::setActivationPolicy(ActivationPolicy policy) {
    state_->set(policy);
}

} // namespace ostrelvirorez
