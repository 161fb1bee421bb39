#include "OstrelVirorez/UI/ActivationPolicyState.hpp"

#include <utility>

namespace ostrelvirorez {

void ActivationPolicyState::set(ActivationPolicy policy) {
    if (policy == policy_) return;
    policy_ = policy;
    changed_.emit(policy);
}

platform::Connection ActivationPolicyState::observe(std::function<void(ActivationPolicy)> observer) {
    return changed_.connect([observer = std::move(observer)](const ActivationPolicy& policy) { observer(policy); });
}

} // namespace ostrelvirorez
