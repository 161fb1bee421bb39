#pragma once
// What computes a model's predictions on this platform. MLModel validates the
// inputs and output backings and then asks its backend for the outputs; a
// backend never writes into output backings itself. Backends of shared models
// may be called from several threads at once.

#include "Platform/CoreML/MLFeatureProvider.hpp"
#include "Platform/CoreML/MLModelDescription.hpp"
#include "Platform/CoreML/MLState.hpp"

#include <map>
#include <string>

namespace platform::coreml {

class MLModelBackend {
public:
    virtual ~MLModelBackend() = default;

    virtual const MLModelDescription& modelDescription() const = 0;

    // The outputs for these inputs. For a stateful prediction `state` is the
    // caller's state, to be read and updated in place; otherwise it is null.
    virtual std::map<std::string, MLFeatureValue> predict(const MLFeatureProvider& inputs, MLState* state) = 0;

    // A fresh state: by default one zero-filled dense buffer per state description.
    virtual MLState makeState() const;
};

} // namespace platform::coreml
