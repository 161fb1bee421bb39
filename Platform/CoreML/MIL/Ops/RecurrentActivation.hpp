#pragma once
// An activation a recurrent layer applies to its gates or cell state, chosen
// by the name a program gives in one of the layer's parameters.

#include "Platform/CoreML/MIL/OpCall.hpp"

#include <span>
#include <string_view>

namespace platform::coreml::mil {

class RecurrentActivation {
public:
    // The activation named by `parameter` ("sigmoid", "tanh", "relu", "linear",
    // "scaled_tanh", "hard_sigmoid", in any letter case), `fallback` when the
    // parameter is absent; fails the call for any other name.
    static RecurrentActivation named(const OpCall& call, std::string_view parameter, std::string_view fallback);

    void applyTo(std::span<float> values) const;

private:
    enum class Kind { sigmoid, tanh, relu, linear, scaledTanh, hardSigmoid };

    explicit RecurrentActivation(Kind kind) : kind_(kind) {}

    Kind kind_;
};

} // namespace platform::coreml::mil
