#pragma once
// The named buffers a stateful model keeps between predictions (for example a
// key-value cache). Made by MLModel::makeState(); a stateful prediction reads
// and updates the buffers in place. Copies share the buffers, so one state may
// be handed to several functions of one model. A state is used by one
// prediction at a time.

#include "Platform/CoreML/MLMultiArray.hpp"

#include <functional>
#include <map>
#include <set>
#include <string>

namespace platform::coreml {

class MLState {
public:
    explicit MLState(std::map<std::string, MLMultiArray> buffers) : buffers_(std::move(buffers)) {}

    std::set<std::string> stateNames() const;
    bool contains(const std::string& stateName) const { return buffers_.count(stateName) > 0; }

    // Lends the buffer of that name; throws MLModelError (featureType) for an
    // unknown name. Writes through the array change the state.
    void withMultiArray(const std::string& stateName, const std::function<void(const MLMultiArray&)>& body) const;
    MLMultiArray multiArray(const std::string& stateName) const;

private:
    std::map<std::string, MLMultiArray> buffers_;
};

} // namespace platform::coreml
