#pragma once
// Failures of a keychain backend.

#include "Platform/Core/Error.hpp"

namespace platform {

enum class KeychainErrorKind {
    // The value is not UTF-8 text; nothing was stored.
    invalidValue,
    // The backend refused or failed the operation.
    accessFailed,
    // The stored secrets could not be read.
    damaged,
};

class KeychainError : public ErrorOf<KeychainErrorKind> {
public:
    using ErrorOf::ErrorOf;
};

} // namespace platform
