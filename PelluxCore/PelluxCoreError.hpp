#pragma once
// The Whisper package core's own failures; each carries the message that
// becomes its description.

#include "Platform/Core/Error.hpp"

#include <string>

namespace pelluxcore {

enum class PelluxCoreErrorKind { invalidConfiguration };

class PelluxCoreError : public platform::ErrorOf<PelluxCoreErrorKind> {
public:
    static PelluxCoreError invalidConfiguration(const std::string& message) {
        return PelluxCoreError(PelluxCoreErrorKind::invalidConfiguration, message);
    }

    const std::string& message() const { return message_; }

private:
    PelluxCoreError(PelluxCoreErrorKind kind, const std::string& message)
        : ErrorOf(kind, message), message_(message) {}

    std::string message_;
};

} // namespace pelluxcore
