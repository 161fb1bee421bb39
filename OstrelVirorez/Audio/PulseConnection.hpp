#pragma once
// The application reaches the sound server through the platform's client
// connection (threaded loop, context, lock, await).

#include "Platform/Audio/PulseConnection.hpp"

namespace ostrelvirorez {

using PulseConnection = platform::audio::PulseConnection;

} // namespace ostrelvirorez
