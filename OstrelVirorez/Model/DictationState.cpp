#include "OstrelVirorez/Model/DictationState.hpp"

namespace ostrelvirorez {

std::optional<std::string> DictationState::message() const {
    if (kind_ != Kind::error) return std::nullopt;
    return message_;
}

} // namespace ostrelvirorez
