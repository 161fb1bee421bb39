#pragma once
// Whether the application shows a Dock icon: regular (0) with one, accessory
// (1) without.

namespace ostrelvirorez {

enum class ActivationPolicy { regular = 0, accessory = 1 };

class ActivationPolicySetting {
public:
    virtual ~ActivationPolicySetting() = default;

    virtual void setActivationPolicy(ActivationPolicy policy) = 0;
};

} // namespace ostrelvirorez
