#pragma once
// A failure of live capture itself (no sound server, no such input, a stream
// that would not start), with the server's own reason.

#include "Platform/Core/Error.hpp"

namespace platform::audio {

class CaptureError : public Error {
public:
    using Error::Error;
};

} // namespace platform::audio
