#pragma once
// A loaded model: its description and configuration, and predictions computed
// by the backend registered for it (see MLModelBackendRegistry). Copies share
// the loaded model; predictions may run from several threads at once.
//
// Loading checks the compiled model folder first: nothing there fails with
// modelNotFound; a plain file or a folder without "coremldata.bin" fails with
// damagedModel. A backend registered for the path runs the model; otherwise
// the folder's program runs in the interpreter (mil::ProgramModelBackend),
// which tells damaged bundles (damagedModel) from ones it cannot run
// (noModelRuntime).

#include "Platform/CoreML/MLArrayBatchProvider.hpp"
#include "Platform/CoreML/MLDictionaryFeatureProvider.hpp"
#include "Platform/CoreML/MLModelBackend.hpp"
#include "Platform/CoreML/MLModelConfiguration.hpp"
#include "Platform/CoreML/MLModelDescription.hpp"
#include "Platform/CoreML/MLPredictionOptions.hpp"
#include "Platform/CoreML/MLState.hpp"

#include <filesystem>
#include <memory>

namespace platform::coreml {

class MLModel {
public:
    // A model run by the given backend, without a folder on disk.
    explicit MLModel(std::shared_ptr<MLModelBackend> backend, MLModelConfiguration configuration = {});

    static MLModel load(const std::filesystem::path& modelURL, const MLModelConfiguration& configuration = {});
    // Compiles an uncompiled model (".mlpackage" or ".mlmodel") through the
    // registered compiler and returns the compiled folder's location.
    static std::filesystem::path compileModel(const std::filesystem::path& modelURL);

    const MLModelDescription& modelDescription() const { return loaded_->description; }
    const MLModelConfiguration& configuration() const { return loaded_->configuration; }

    // Throws MLModelError (featureType) for a missing input, an input of the
    // wrong kind or shape, and an output backing that does not fit its output;
    // no backing is written then. Stateful models need the MLState overload.
    MLDictionaryFeatureProvider prediction(const MLFeatureProvider& input,
                                           const MLPredictionOptions& options = {}) const;
    MLDictionaryFeatureProvider prediction(const MLFeatureProvider& input, MLState& state,
                                           const MLPredictionOptions& options = {}) const;
    MLArrayBatchProvider predictions(const MLArrayBatchProvider& batch, const MLPredictionOptions& options = {}) const;

    MLState makeState() const;

private:
    struct Loaded {
        std::shared_ptr<MLModelBackend> backend;
        MLModelConfiguration configuration;
        MLModelDescription description;
    };

    MLDictionaryFeatureProvider run(const MLFeatureProvider& input, MLState* state,
                                    const MLPredictionOptions& options) const;

    std::shared_ptr<const Loaded> loaded_;
};

} // namespace platform::coreml
