#include "PelluxCore/ModelManager.hpp"

#include "PelluxCore/Logging.hpp"
#include "PelluxCore/PelluxCoreError.hpp"
#include "Platform/Core/Error.hpp"

#include <cxxabi.h>

#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <typeinfo>

namespace pelluxcore {

namespace fs = std::filesystem;

namespace {

std::string demangled(const char* mangled) {
    int status = 0;
    const std::unique_ptr<char, decltype(&std::free)> name(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                           &std::free);
    return status == 0 && name ? std::string(name.get()) : std::string(mangled);
}

// The last component of a qualified name, template arguments included.
std::string unqualified(const std::string& name) {
    int depth = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (c == '<' || c == '(') ++depth;
        else if (c == '>' || c == ')') --depth;
        else if (depth == 0 && c == ':' && i + 1 < name.size() && name[i + 1] == ':') start = i + 2;
    }
    return name.substr(start);
}

} // namespace

ModelManager::ModelManager(std::shared_ptr<ModelLoader> loader, std::shared_ptr<ModelDownloader> downloader)
    : downloader_(std::move(downloader)), loader_(std::move(loader)) {
    if (!loader_ || !downloader_) throw std::invalid_argument("ModelManager needs a loader and a downloader");
}

ModelState ModelManager::modelState() const {
    std::lock_guard lock(mutex_);
    return modelState_;
}

void ModelManager::setModelState(ModelState modelState) { changeState(modelState); }

ModelManager::ModelStateCallback ModelManager::modelStateCallback() const {
    std::lock_guard lock(mutex_);
    return modelStateCallback_;
}

void ModelManager::setModelStateCallback(ModelStateCallback modelStateCallback) {
    std::lock_guard lock(mutex_);
    modelStateCallback_ = std::move(modelStateCallback);
}

std::optional<fs::path> ModelManager::modelPath() const {
    std::lock_guard lock(mutex_);
    return modelPath_;
}

std::optional<fs::path> ModelManager::modelFolder() const {
    const auto folder = loader_->modelFolder();
    if (!folder) return std::nullopt;
    return fs::path(*folder);
}

std::string ModelManager::loggerName() const {
    std::lock_guard lock(mutex_);
    if (!loggerName_) loggerName_ = unqualified(demangled(typeid(*this).name()));
    return *loggerName_;
}

void ModelManager::setLoggerName(std::string loggerName) {
    std::lock_guard lock(mutex_);
    loggerName_ = std::move(loggerName);
}

void ModelManager::ensureModelsLoaded() {
    if (modelState() == ModelState::loaded) return;
    coordinator_.run([this] {
        if (modelState() == ModelState::loaded) return;
        ModelManager::downloadModels();
        ModelManager::loadModels();
    });
}

void ModelManager::downloadModels(const modelhubkit::ProgressHandler& progressCallback) {
    const std::string name = logPrefix();
    const ModelState state = modelState();
    if (state != ModelState::unloaded) {
        Logging::debug(name + " Models already downloaded (state: " + description(state) + "), skipping download");
        return;
    }
    if (const auto folder = loader_->modelFolder()) {
        Logging::debug(name + " modelFolder is set, skipping download");
        setModelPath(fs::path(*folder));
        changeState(ModelState::downloaded);
        return;
    }
    Logging::info(name + " Starting download process...");
    changeState(ModelState::downloading);
    std::string path;
    try {
        path = loader_->resolveModels(*downloader_, progressCallback);
    } catch (...) {
        const std::exception_ptr failure = std::current_exception();
        changeState(ModelState::unloaded);
        Logging::error(name + " Failed to download models: " + platform::describeError(failure, "unknown error"));
        throw;
    }
    setModelPath(fs::path(path));
    changeState(ModelState::downloaded);
    Logging::info(name + " Models downloaded to " + path);
}

void ModelManager::prewarmModels() {
    if (modelState() == ModelState::unloaded) ModelManager::downloadModels();
    const std::string path = resolvedModelPath();
    const std::string name = logPrefix();
    const ModelState state = modelState();
    if (state == ModelState::prewarmed) {
        Logging::debug(name + " Models already prewarmed, skipping");
        return;
    }
    if (state != ModelState::downloaded) {
        throw PelluxCoreError::invalidConfiguration("Cannot prewarm in state: " + description(state));
    }
    runLoader(path, true, name);
}

void ModelManager::loadModels() {
    if (modelState() == ModelState::unloaded) ModelManager::downloadModels();
    const std::string path = resolvedModelPath();
    const std::string name = logPrefix();
    const ModelState state = modelState();
    switch (state) {
    case ModelState::loaded: Logging::debug(name + " Models already loaded, skipping"); return;
    case ModelState::prewarmed:
    case ModelState::downloaded: break;
    default: throw PelluxCoreError::invalidConfiguration("Cannot load in state: " + description(state));
    }
    runLoader(path, false, name);
}

void ModelManager::runLoader(const std::string& path, bool prewarm, const std::string& name) {
    changeState(prewarm ? ModelState::prewarming : ModelState::loading);
    try {
        loader_->load(path, prewarm);
    } catch (...) {
        const std::exception_ptr failure = std::current_exception();
        changeState(ModelState::unloaded);
        Logging::error(name + (prewarm ? " Failed to prewarm models: " : " Failed to load models: ") +
                       platform::describeError(failure, "unknown error"));
        throw;
    }
    changeState(prewarm ? ModelState::prewarmed : ModelState::loaded);
    Logging::info(name + (prewarm ? " Models prewarmed successfully" : " Models loaded successfully"));
}

void ModelManager::unloadModels() {
    const ModelState state = modelState();
    if (state != ModelState::loaded && state != ModelState::prewarmed) return;
    changeState(ModelState::unloading);
    loader_->unload();
    changeState(ModelState::unloaded);
}

bool ModelManager::isAvailable() const {
    const ModelState state = modelState();
    return state == ModelState::loading || state == ModelState::loaded || state == ModelState::downloaded;
}

bool ModelManager::isLoaded() const { return modelState() == ModelState::loaded; }

void ModelManager::changeState(ModelState newState) {
    ModelState oldState;
    ModelStateCallback callback;
    {
        std::lock_guard lock(mutex_);
        oldState = modelState_;
        modelState_ = newState;
        callback = modelStateCallback_;
    }
    if (oldState != newState && callback) callback(oldState, newState);
}

void ModelManager::setModelPath(std::optional<fs::path> path) {
    std::lock_guard lock(mutex_);
    modelPath_ = std::move(path);
}

std::string ModelManager::logPrefix() const { return "[" + loggerName() + "]"; }

std::string ModelManager::resolvedModelPath() const {
    if (const auto path = modelPath()) return path->string();
    if (const auto folder = loader_->modelFolder()) return *folder;
    throw PelluxCoreError::invalidConfiguration(
        "No model path available. Call downloadModels() first, or provide modelFolder.");
}

} // namespace pelluxcore
