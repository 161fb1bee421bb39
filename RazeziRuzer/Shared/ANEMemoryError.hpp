#pragma once
// Failures of the aligned model-array utilities: an allocation the system
// refused, a shape or view that does not fit, an element type they cannot
// convert.

#include "Platform/Core/Error.hpp"

#include <cstdint>

namespace razeziruzer {

enum class ANEMemoryErrorKind : std::uint8_t {
    allocationFailed,
    invalidShape,
    unsupportedDataType,
};

class ANEMemoryError : public platform::ErrorOf<ANEMemoryErrorKind> {
public:
    explicit ANEMemoryError(ANEMemoryErrorKind kind);
};

} // namespace razeziruzer
