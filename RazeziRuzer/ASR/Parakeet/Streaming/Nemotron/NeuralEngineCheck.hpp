#pragma once
// Whether this machine has the neural engine that the Nemotron int8 streaming
// models require. Injectable so that the refusal, and the path behind it, can
// be exercised on any machine.

#include <functional>

namespace razeziruzer {

using NeuralEngineCheck = std::function<bool()>;

// The truth on this platform: Linux machines have no neural engine.
bool hasNeuralEngine();

inline constexpr const char* nemotronUnsupportedPlatformMessage =
    "Nemotron int8 streaming models require Apple Silicon (ANE). Intel Macs are not supported.";

} // namespace razeziruzer
