#pragma once
// Drives one set of models through download, prewarm, load and unload for any
// model family with a ModelLoader, keeps its ModelState and tells an optional
// observer of every change. Steps that do not fit the state are refused with
// a clear message. ensureModelsLoaded() is the one entry safe for concurrent
// callers: it downloads and loads once, however many callers wait on it.

#include "PelluxCore/LoadModelsCoordinator.hpp"
#include "PelluxCore/ModelDownloader.hpp"
#include "PelluxCore/ModelLoader.hpp"
#include "PelluxCore/ModelState.hpp"
#include "PelluxCore/ModelHubKit/Hub/Progress.hpp"

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace pelluxcore {

class ModelManager {
public:
    // Called with (old, new) on the thread that changes the state; empty means nobody listens.
    using ModelStateCallback = std::function<void(ModelState oldState, ModelState newState)>;

    // Throws std::invalid_argument for a null loader or downloader.
    ModelManager(std::shared_ptr<ModelLoader> loader, std::shared_ptr<ModelDownloader> downloader);
    virtual ~ModelManager() = default;

    ModelManager(const ModelManager&) = delete;
    ModelManager& operator=(const ModelManager&) = delete;

    virtual ModelState modelState() const;
    // Calls the callback when the state changes.
    virtual void setModelState(ModelState modelState);
    virtual ModelStateCallback modelStateCallback() const;
    virtual void setModelStateCallback(ModelStateCallback modelStateCallback);
    virtual std::optional<std::filesystem::path> modelPath() const;
    // The loader's model folder.
    virtual std::optional<std::filesystem::path> modelFolder() const;
    // The unqualified name of the object's own class, unless set.
    virtual std::string loggerName() const;
    virtual void setLoggerName(std::string loggerName);

    virtual void ensureModelsLoaded();
    virtual void downloadModels(const modelhubkit::ProgressHandler& progressCallback = {});
    virtual void prewarmModels();
    virtual void loadModels();
    virtual void unloadModels();

    // In `loading`, `loaded` or `downloaded`.
    virtual bool isAvailable() const;
    virtual bool isLoaded() const;

protected:
    const std::shared_ptr<ModelDownloader>& downloader() const { return downloader_; }
    const std::shared_ptr<ModelLoader>& loader() const { return loader_; }

private:
    void changeState(ModelState newState);
    void setModelPath(std::optional<std::filesystem::path> path);
    std::string logPrefix() const;
    // modelPath, else the loader's folder; refuses when there is neither.
    std::string resolvedModelPath() const;
    // Loads (or prewarms) from `path` through the loader, moving through the
    // in-progress state; a failure leaves the models unloaded and is rethrown.
    void runLoader(const std::string& path, bool prewarm, const std::string& name);

    // The fields are read and written from the callers' threads and the load
    // task; the lock guards each access and is never held while calling out.
    mutable std::mutex mutex_;
    ModelState modelState_ = ModelState::unloaded;
    ModelStateCallback modelStateCallback_;
    std::optional<std::filesystem::path> modelPath_;
    std::shared_ptr<ModelDownloader> downloader_;
    std::shared_ptr<ModelLoader> loader_;
    mutable std::optional<std::string> loggerName_;
    LoadModelsCoordinator coordinator_;
};

} // namespace pelluxcore
