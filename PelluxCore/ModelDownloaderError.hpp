#pragma once
// Failures the model downloader raises itself; its description is the message.

#include "Platform/Core/Error.hpp"

#include <string>

namespace pelluxcore {

enum class ModelDownloaderErrorKind { modelUnavailable };

class ModelDownloaderError : public platform::ErrorOf<ModelDownloaderErrorKind> {
public:
    static ModelDownloaderError modelUnavailable(const std::string& message) {
        return ModelDownloaderError(ModelDownloaderErrorKind::modelUnavailable, message);
    }

    const std::string& message() const { return message_; }

private:
    ModelDownloaderError(ModelDownloaderErrorKind kind, const std::string& message)
        : ErrorOf(kind, message), message_(message) {}

    std::string message_;
};

} // namespace pelluxcore
