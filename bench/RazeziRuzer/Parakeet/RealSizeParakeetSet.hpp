#pragma once
// A real-size Parakeet TDT v3 model set of random weights, written once into
// a folder and reused: the preprocessor, the 0.6 B-parameter conformer
// encoder, the 640-wide LSTM prediction network, the joint decision over the
// 8,192-token vocabulary, the blank and five durations, and a vocabulary
// file, under the names and shapes the recogniser expects. The joint's blank
// and duration biases make greedy decoding emit a few tokens a second.

#include "bench/RazeziRuzer/Parakeet/ConformerEncoderBundle.hpp"

#include <filesystem>
#include <ostream>
#include <string>

namespace parakeetbench {

struct SetOptions {
    Precision encoderPrecision = Precision::fp32;
    // Preprocessor and encoder declare any length up to the window, not only the window.
    bool flexible = false;

    std::string name() const;
};

// The repository folder of the set under `root`, written first unless a
// complete one is there already. Progress goes to `log`.
std::filesystem::path ensureRealSizeSet(const std::filesystem::path& root, const SetOptions& options, std::ostream& log);

} // namespace parakeetbench
