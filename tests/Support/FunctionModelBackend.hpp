#pragma once
// Pieces for test models whose outputs are a plain function of their inputs:
// a backend that records nothing (unlike platform::coreml::ScriptedModelBackend),
// a feature of any shape, and reading one input array.

#include "Platform/CoreML/MLFeatureProvider.hpp"
#include "Platform/CoreML/MLModelBackend.hpp"
#include "Platform/CoreML/MLMultiArrayConstraint.hpp"

#include <functional>
#include <map>
#include <string>
#include <utility>

namespace testsupport {

class FunctionModelBackend final : public platform::coreml::MLModelBackend {
public:
    using Outputs = std::map<std::string, platform::coreml::MLFeatureValue>;
    using Function = std::function<Outputs(const platform::coreml::MLFeatureProvider&)>;

    FunctionModelBackend(platform::coreml::MLModelDescription description, Function function)
        : description_(std::move(description)), function_(std::move(function)) {}
    const platform::coreml::MLModelDescription& modelDescription() const override { return description_; }
    Outputs predict(const platform::coreml::MLFeatureProvider& inputs, platform::coreml::MLState*) override {
        return function_(inputs);
    }

private:
    platform::coreml::MLModelDescription description_;
    Function function_;
};

// A multi-array feature of this type and any shape.
inline platform::coreml::MLFeatureDescription anyShape(
    const std::string& name, platform::coreml::MLMultiArrayDataType type = platform::coreml::MLMultiArrayDataType::float32) {
    platform::coreml::MLMultiArrayConstraint constraint;
    constraint.dataType = type;
    return platform::coreml::MLFeatureDescription::multiArray(name, constraint);
}

// The named input, which the caller knows is present and a multi-array.
inline platform::coreml::MLMultiArray inputArray(const platform::coreml::MLFeatureProvider& inputs, const char* name) {
    return *inputs.featureValue(name)->multiArrayValue();
}

} // namespace testsupport
