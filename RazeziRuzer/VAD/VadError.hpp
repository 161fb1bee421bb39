#pragma once
// Errors of the voice-activity detector.

#include "Platform/Core/Error.hpp"

#include <cstdint>
#include <string>

namespace razeziruzer {

enum class VadErrorKind : std::uint8_t {
    modelProcessingFailed,
    notInitialized,
    modelLoadingFailed,
    invalidConfiguration,
};

class VadError : public platform::ErrorOf<VadErrorKind> {
public:
    static VadError modelProcessingFailed(std::string message);
    static VadError notInitialized();
    static VadError modelLoadingFailed();
    // A segmentation setting outside its accepted range.
    static VadError invalidConfiguration(std::string message);

    // The payload of modelProcessingFailed and invalidConfiguration.
    const std::string& message() const noexcept { return message_; }

private:
    VadError(VadErrorKind kind, const std::string& description, std::string message = {});

    std::string message_;
};

} // namespace razeziruzer
