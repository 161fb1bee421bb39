#pragma once
// Why a recording could not start.

#include "Platform/Core/Error.hpp"

namespace ostrelvirorez {

enum class RecorderErrorKind { converterCreationFailed, invalidTargetFormat };

class RecorderError : public platform::ErrorOf<RecorderErrorKind> {
public:
    explicit RecorderError(RecorderErrorKind kind);
};

} // namespace ostrelvirorez
