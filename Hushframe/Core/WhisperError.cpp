#include "Hushframe/Core/WhisperError.hpp"

#include "PelluxCore/Logging.hpp"

namespace hushframe {

std::string WhisperError::errorDescription() const {
    pelluxcore::Logging::error(message_);
    return message_;
}

} // namespace hushframe
