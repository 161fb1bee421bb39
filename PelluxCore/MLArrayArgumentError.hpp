#pragma once
// A caller's argument that an array operation cannot honour (a value out of
// range, a shape or range the operation does not accept). Raised before
// anything is created or written.

#include "Platform/Core/Error.hpp"

namespace pelluxcore {

class MLArrayArgumentError : public platform::Error {
public:
    using Error::Error;
};

} // namespace pelluxcore
