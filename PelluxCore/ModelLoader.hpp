#pragma once
// What a model family supplies to the model manager: finding or fetching its
// models, bringing them into memory and releasing them. Shared, never copied.

#include "PelluxCore/ModelDownloader.hpp"
#include "PelluxCore/ModelHubKit/Hub/Progress.hpp"

#include <optional>
#include <string>

namespace pelluxcore {

class ModelLoader {
public:
    virtual ~ModelLoader() = default;

    // Where the models already are, or absent when they must be resolved.
    virtual std::optional<std::string> modelFolder() const = 0;
    // Finds or fetches the models; returns the path of the folder holding them.
    virtual std::string resolveModels(const ModelDownloader& downloader,
                                      const modelhubkit::ProgressHandler& progressCallback) = 0;
    // `prewarm`: specialise the models for this machine rather than load them for use.
    virtual void load(const std::string& from, bool prewarm) = 0;
    virtual void unload() noexcept = 0;
};

} // namespace pelluxcore
