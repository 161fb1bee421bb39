#pragma once
// A pipeline stage backed by one model (mel spectrogram, audio encoder, text
// decoder), with the default load and unload. Prewarming loads the model so
// the system specialises it for this machine, then drops it.

#include "PelluxCore/ModelState.hpp"
#include "Platform/CoreML/MLModel.hpp"

#include <filesystem>
#include <optional>

namespace hushframe {

class WhisperMLModel {
public:
    virtual ~WhisperMLModel() = default;

    virtual const std::optional<platform::coreml::MLModel>& model() const { return model_; }
    virtual void setModel(std::optional<platform::coreml::MLModel> model) { model_ = std::move(model); }

    // Loading errors pass through and leave the model as it was.
    virtual void loadModel(const std::filesystem::path& at, platform::coreml::MLComputeUnits computeUnits,
                           bool prewarmMode);
    virtual void unloadModel() { setModel(std::nullopt); }

    // `loaded` while a model is held, else `unloaded`.
    pelluxcore::ModelState modelState() const {
        return model() ? pelluxcore::ModelState::loaded : pelluxcore::ModelState::unloaded;
    }

private:
    std::optional<platform::coreml::MLModel> model_;
};

} // namespace hushframe
