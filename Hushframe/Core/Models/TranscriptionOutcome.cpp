#include "Hushframe/Core/Models/TranscriptionOutcome.hpp"

namespace hushframe {

std::vector<std::optional<TranscriptionResults>> toOptionalArrays(const std::vector<TranscriptionOutcome>& outcomes) {
    std::vector<std::optional<TranscriptionResults>> results;
    results.reserve(outcomes.size());
    for (const auto& outcome : outcomes) {
        if (const auto* success = std::get_if<TranscriptionResults>(&outcome)) {
            results.emplace_back(*success);
        } else {
            results.emplace_back(std::nullopt);
        }
    }
    return results;
}

} // namespace hushframe
