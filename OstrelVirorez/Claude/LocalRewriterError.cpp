#include "OstrelVirorez/Claude/LocalRewriterError.hpp"

#include <utility>

namespace ostrelvirorez {

LocalRewriterError::LocalRewriterError(LocalRewriterErrorKind kind, const std::string& description, std::string message)
    : ErrorOf(kind, description), message_(std::move(message)) {}

LocalRewriterError LocalRewriterError::generationFailed(std::string message) {
    const auto description = "Lokales Rewrite fehlgeschlagen: " + message;
    return LocalRewriterError(LocalRewriterErrorKind::generationFailed, description, std::move(message));
}

LocalRewriterError LocalRewriterError::modelUnavailable() {
    return LocalRewriterError(LocalRewriterErrorKind::modelUnavailable,
                              "Apple Intelligence ist auf diesem Mac nicht verfügbar");
}

} // namespace ostrelvirorez
