#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/ARPAError.hpp"

namespace razeziruzer {

ARPAError ARPAError::cannotOpen(const std::string& path) {
    return {ARPAErrorKind::cannotOpen, "Cannot open ARPA file: " + path};
}

ARPAError ARPAError::invalidText(const std::string& path, std::int64_t lineNumber) {
    return {ARPAErrorKind::invalidText,
            "ARPA file " + path + " is not valid UTF-8 at line " + std::to_string(lineNumber)};
}

} // namespace razeziruzer
