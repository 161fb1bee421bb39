#pragma once
// Failure of the core's half-precision array constructor that the model
// runtime itself does not raise.

#include "Platform/Core/Error.hpp"

namespace pelluxcore {

enum class MLMultiArrayCreationErrorKind { pixelBufferFailed };

class MLMultiArrayCreationError : public platform::ErrorOf<MLMultiArrayCreationErrorKind> {
public:
    static MLMultiArrayCreationError pixelBufferFailed() {
        return MLMultiArrayCreationError(MLMultiArrayCreationErrorKind::pixelBufferFailed,
                                         "Failed to create IOSurface-backed pixel buffer for MLMultiArray");
    }

private:
    MLMultiArrayCreationError(MLMultiArrayCreationErrorKind kind, const std::string& description)
        : ErrorOf(kind, description) {}
};

} // namespace pelluxcore
