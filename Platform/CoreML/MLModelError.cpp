#include "Platform/CoreML/MLModelError.hpp"

namespace platform::coreml {

MLModelError MLModelError::modelNotFound(const std::filesystem::path& path) {
    return {MLModelErrorKind::modelNotFound, "The model file does not exist: " + path.string()};
}

MLModelError MLModelError::damagedModel(const std::filesystem::path& path, const std::string& reason) {
    return {MLModelErrorKind::damagedModel, "The model at " + path.string() + " is damaged: " + reason};
}

MLModelError MLModelError::noModelRuntime(const std::filesystem::path& path) {
    return {MLModelErrorKind::noModelRuntime,
            "No model runtime is available for the model at " + path.string() + " on this platform"};
}

MLModelError MLModelError::noModelCompiler(const std::filesystem::path& path) {
    return {MLModelErrorKind::noModelRuntime,
            "No model runtime is available to compile the model at " + path.string() + " on this platform"};
}

MLModelError MLModelError::memoryLimitExceeded(const std::filesystem::path& path, const std::string& reason) {
    auto error = damagedModel(path, reason);
    error.exceedsMemoryLimit_ = true;
    return error;
}

} // namespace platform::coreml
