#include "Platform/CoreML/MLModel.hpp"

#include "Platform/CoreML/FeatureValidation.hpp"
#include "Platform/CoreML/MIL/ProgramModelBackend.hpp"
#include "Platform/CoreML/MLModelBackendRegistry.hpp"
#include "Platform/CoreML/MLModelError.hpp"

#include <system_error>
#include <vector>

namespace platform::coreml {
namespace {

// The file whose presence marks a compiled model folder as complete.
constexpr const char* compiledModelMarker = "coremldata.bin";

void checkCompiledModelFolder(const std::filesystem::path& modelURL) {
    std::error_code error;
    const auto status = std::filesystem::status(modelURL, error);
    if (modelURL.empty() || !std::filesystem::exists(status)) {
        throw MLModelError::modelNotFound(modelURL);
    }
    if (!std::filesystem::is_directory(status)) {
        throw MLModelError::damagedModel(modelURL, "it is not a compiled model folder");
    }
    if (!std::filesystem::is_regular_file(modelURL / compiledModelMarker, error)) {
        throw MLModelError::damagedModel(modelURL, std::string(compiledModelMarker) + " is missing");
    }
}

// Arrays the backend was given, whose storage an output must not share.
std::vector<MLMultiArray> arraysPassedIn(const MLFeatureProvider& input, const MLState* state,
                                         const MLPredictionOptions& options) {
    std::vector<MLMultiArray> arrays;
    for (const auto& name : input.featureNames()) {
        if (auto value = input.featureValue(name); value && value->multiArrayValue()) {
            arrays.push_back(*value->multiArrayValue());
        }
    }
    if (state != nullptr) {
        for (const auto& name : state->stateNames()) {
            arrays.push_back(state->multiArray(name));
        }
    }
    for (const auto& entry : options.outputBackings) {
        arrays.push_back(entry.second);
    }
    return arrays;
}

// Outputs come in arrays of their own, as a model computing into fresh memory
// would give them: an output sharing storage with an input, a state buffer or
// a backing is copied, so writing the backings cannot change another output.
void detachFrom(const std::vector<MLMultiArray>& arraysIn, std::map<std::string, MLFeatureValue>& outputs) {
    for (auto& entry : outputs) {
        const auto array = entry.second.multiArrayValue();
        if (!array) {
            continue;
        }
        for (const auto& other : arraysIn) {
            if (array->sharesMemory(other)) {
                entry.second = MLFeatureValue(array->clone());
                break;
            }
        }
    }
}

} // namespace

MLModel::MLModel(std::shared_ptr<MLModelBackend> backend, MLModelConfiguration configuration) {
    if (!backend) {
        throw MLModelError(MLModelErrorKind::generic, "A model needs a backend");
    }
    auto description = backend->modelDescription();
    loaded_ = std::make_shared<const Loaded>(Loaded{std::move(backend), std::move(configuration), std::move(description)});
}

MLModel MLModel::load(const std::filesystem::path& modelURL, const MLModelConfiguration& configuration) {
    checkCompiledModelFolder(modelURL);
    const auto factory = MLModelBackendRegistry::shared().backendFactory(modelURL);
    if (!factory) {
        return MLModel(mil::ProgramModelBackend::load(modelURL, configuration), configuration);
    }
    auto backend = (*factory)(modelURL, configuration);
    if (!backend) {
        throw MLModelError::noModelRuntime(modelURL);
    }
    return MLModel(std::move(backend), configuration);
}

std::filesystem::path MLModel::compileModel(const std::filesystem::path& modelURL) {
    std::error_code error;
    if (modelURL.empty() || !std::filesystem::exists(modelURL, error)) {
        throw MLModelError::modelNotFound(modelURL);
    }
    const auto compiler = MLModelBackendRegistry::shared().compiler(modelURL);
    if (!compiler) {
        throw MLModelError::noModelCompiler(modelURL);
    }
    return (*compiler)(modelURL);
}

MLDictionaryFeatureProvider MLModel::prediction(const MLFeatureProvider& input,
                                                const MLPredictionOptions& options) const {
    if (!modelDescription().stateDescriptionsByName.empty()) {
        throw MLModelError(MLModelErrorKind::featureType, "This model keeps state; predict with an MLState");
    }
    return run(input, nullptr, options);
}

MLDictionaryFeatureProvider MLModel::prediction(const MLFeatureProvider& input, MLState& state,
                                                const MLPredictionOptions& options) const {
    validation::checkState(modelDescription(), state);
    return run(input, &state, options);
}

MLArrayBatchProvider MLModel::predictions(const MLArrayBatchProvider& batch, const MLPredictionOptions& options) const {
    std::vector<std::shared_ptr<const MLFeatureProvider>> results;
    results.reserve(batch.count());
    for (const auto& input : batch.array()) {
        results.push_back(std::make_shared<MLDictionaryFeatureProvider>(prediction(*input, options)));
    }
    return MLArrayBatchProvider(std::move(results));
}

MLState MLModel::makeState() const { return loaded_->backend->makeState(); }

MLDictionaryFeatureProvider MLModel::run(const MLFeatureProvider& input, MLState* state,
                                         const MLPredictionOptions& options) const {
    validation::checkInputs(modelDescription(), input);
    validation::checkBackingNames(modelDescription(), options);
    auto outputs = loaded_->backend->predict(input, state);
    detachFrom(arraysPassedIn(input, state, options), outputs);
    validation::checkBackingsFit(outputs, options);
    for (const auto& [name, backing] : options.outputBackings) {
        backing.copyContents(*outputs.at(name).multiArrayValue());
        outputs.at(name) = MLFeatureValue(backing);
    }
    return MLDictionaryFeatureProvider(std::move(outputs));
}

} // namespace platform::coreml
