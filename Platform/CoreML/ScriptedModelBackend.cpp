#include "Platform/CoreML/ScriptedModelBackend.hpp"

#include "Platform/CoreML/MLModelError.hpp"

#include <fstream>

namespace platform::coreml {
namespace {

ScriptedModelBackend::Call record(const MLFeatureProvider& inputs, bool stateful) {
    ScriptedModelBackend::Call call;
    call.stateful = stateful;
    for (const auto& name : inputs.featureNames()) {
        const auto value = inputs.featureValue(name);
        if (!value) {
            continue;
        }
        ScriptedModelBackend::RecordedFeature feature{*value, {}, nullptr};
        if (const auto array = value->multiArrayValue()) {
            feature.value = MLFeatureValue(array->clone());
            feature.strides = array->strides();
            feature.dataPointer = array->dataPointer();
        }
        call.inputs.emplace(name, std::move(feature));
    }
    return call;
}

} // namespace

ScriptedModelBackend::ScriptedModelBackend(MLModelDescription description, Script script)
    : description_(std::move(description)), script_(std::move(script)) {}

ScriptedModelBackend::ScriptedModelBackend(MLModelDescription description, std::vector<Outputs> replies)
    : description_(std::move(description)), replies_(replies.begin(), replies.end()) {}

void ScriptedModelBackend::setStateFactory(std::function<MLState()> factory) {
    const std::lock_guard lock(mutex_);
    stateFactory_ = std::move(factory);
}

std::vector<ScriptedModelBackend::Call> ScriptedModelBackend::calls() const {
    const std::lock_guard lock(mutex_);
    return calls_;
}

std::size_t ScriptedModelBackend::callCount() const {
    const std::lock_guard lock(mutex_);
    return calls_.size();
}

ScriptedModelBackend::Script ScriptedModelBackend::nextReply() {
    if (script_) {
        return script_;
    }
    if (replies_.empty()) {
        throw MLModelError(MLModelErrorKind::generic,
                           "The scripted model has no reply left for call " + std::to_string(calls_.size()));
    }
    auto reply = std::move(replies_.front());
    replies_.pop_front();
    return [reply = std::move(reply)](const MLFeatureProvider&, MLState*) { return reply; };
}

ScriptedModelBackend::Outputs ScriptedModelBackend::predict(const MLFeatureProvider& inputs, MLState* state) {
    auto call = record(inputs, state != nullptr);
    Script answer;
    {
        const std::lock_guard lock(mutex_);
        calls_.push_back(std::move(call));
        answer = nextReply();
    }
    return answer(inputs, state);
}

MLState ScriptedModelBackend::makeState() const {
    std::function<MLState()> factory;
    {
        const std::lock_guard lock(mutex_);
        factory = stateFactory_;
    }
    return factory ? factory() : MLModelBackend::makeState();
}

void ScriptedModelBackend::writeCompiledModelFolder(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    std::ofstream marker(folder / "coremldata.bin", std::ios::binary);
    if (!marker) {
        throw MLModelError(MLModelErrorKind::io, "Cannot write a model folder at " + folder.string());
    }
}

} // namespace platform::coreml
