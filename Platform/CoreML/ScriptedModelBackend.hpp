#pragma once
// A model backend for tests: it declares whatever inputs, outputs and states it
// is given, answers each prediction from a script (a function of the inputs and
// the state) or from a table of replies consumed in order, and records every
// call's inputs so a test can check what the model was fed.

#include "Platform/CoreML/MLModelBackend.hpp"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace platform::coreml {

class ScriptedModelBackend : public MLModelBackend {
public:
    using Outputs = std::map<std::string, MLFeatureValue>;
    using Script = std::function<Outputs(const MLFeatureProvider& inputs, MLState* state)>;

    // One input as it was at call time.
    struct RecordedFeature {
        MLFeatureValue value;                // multi-arrays are independent copies
        std::vector<std::int64_t> strides;   // of the array passed in
        const void* dataPointer = nullptr;   // of the array passed in
    };

    struct Call {
        std::map<std::string, RecordedFeature> inputs;
        bool stateful = false;
    };

    ScriptedModelBackend(MLModelDescription description, Script script);
    // Replies are handed out one per call; a call past the last one throws
    // MLModelError (generic).
    ScriptedModelBackend(MLModelDescription description, std::vector<Outputs> replies);

    // Makes the states handed out by makeState() (e.g. with strided buffers).
    void setStateFactory(std::function<MLState()> factory);

    std::vector<Call> calls() const;
    std::size_t callCount() const;

    const MLModelDescription& modelDescription() const override { return description_; }
    Outputs predict(const MLFeatureProvider& inputs, MLState* state) override;
    MLState makeState() const override;

    // Creates a minimal compiled model folder (with its "coremldata.bin") that
    // MLModel::load accepts.
    static void writeCompiledModelFolder(const std::filesystem::path& folder);

private:
    Script nextReply();

    MLModelDescription description_;
    Script script_;
    std::function<MLState()> stateFactory_;
    mutable std::mutex mutex_;
    std::deque<Outputs> replies_;
    std::vector<Call> calls_;
};

} // namespace platform::coreml
