#include "RazeziRuzer/Shared/ANEMemoryError.hpp"

#include <string>

namespace razeziruzer {

namespace {

std::string caseName(ANEMemoryErrorKind kind) {
    switch (kind) {
    case ANEMemoryErrorKind::allocationFailed: return "allocationFailed";
    case ANEMemoryErrorKind::invalidShape: return "invalidShape";
    case ANEMemoryErrorKind::unsupportedDataType: return "unsupportedDataType";
    }
    return "unknown";
}

} // namespace

ANEMemoryError::ANEMemoryError(ANEMemoryErrorKind kind) : ErrorOf(kind, "ANEMemoryError." + caseName(kind)) {}

} // namespace razeziruzer
