#pragma once
// Failures of the engines and the engine manager; the description is the
// text the user sees in the error state and in the manager's status.

#include "Platform/Core/Error.hpp"

#include <string>
#include <utility>

namespace ostrelvirorez {

enum class EngineErrorKind { modelLoadFailed, transcriptionFailed, unavailable, notLoaded };

class EngineError : public platform::ErrorOf<EngineErrorKind> {
public:
    static EngineError modelLoadFailed(std::string message) {
        return EngineError(EngineErrorKind::modelLoadFailed, std::move(message));
    }
    static EngineError transcriptionFailed(std::string message) {
        return EngineError(EngineErrorKind::transcriptionFailed, std::move(message));
    }
    static EngineError unavailable(std::string message) {
        return EngineError(EngineErrorKind::unavailable, std::move(message));
    }
    static EngineError notLoaded() { return EngineError(EngineErrorKind::notLoaded, {}); }

    // The message the case carries; empty for notLoaded.
    const std::string& message() const { return message_; }

private:
    EngineError(EngineErrorKind kind, std::string message);

    std::string message_;
};

} // namespace ostrelvirorez
