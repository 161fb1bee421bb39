#pragma once
// A failure of the capture engine itself (no sound server, no such input,
// a stream that would not start), with the server's own reason.

#include "Platform/Core/Error.hpp"

namespace ostrelvirorez {

class AudioEngineError : public platform::Error {
public:
    using Error::Error;
};

} // namespace ostrelvirorez
