#pragma once
// Failures of the on-device rewriter, with the (German) texts the user is shown.

#include "Platform/Core/Error.hpp"

#include <string>

namespace ostrelvirorez {

enum class LocalRewriterErrorKind { generationFailed, modelUnavailable };

class LocalRewriterError : public platform::ErrorOf<LocalRewriterErrorKind> {
public:
    static LocalRewriterError generationFailed(std::string message);
    static LocalRewriterError modelUnavailable();

    // The payload of generationFailed.
    const std::string& message() const { return message_; }

private:
    LocalRewriterError(LocalRewriterErrorKind kind, const std::string& description, std::string message = {});

    std::string message_;
};

} // namespace ostrelvirorez
