#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NeuralEngineCheck.hpp"

namespace razeziruzer {

bool hasNeuralEngine() { return false; }

} // namespace razeziruzer
