#pragma once
// A conformer speech encoder as one program: mel features [1, melBins, T] are
// turned to rows, `stack` frames at a time are joined into one row of
// melBins·stack values ([1, T/stack, width] by reshape), projected by a linear
// layer, then run through `blocks` conformer blocks.

#include "bench/PlatformModelRuntime/ConformerLayers.hpp"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>

namespace runtimebench {

struct ConformerEncoderSize {
    int blocks = 6;
    std::int64_t melBins = 128;
    std::int64_t stack = 8; // melBins · stack must equal the block width
    std::int64_t width = 1024;
    std::int64_t heads = 8;
    std::int64_t hidden = 4096;
    std::int64_t kernel = 9;
};

struct EncoderProgram {
    std::string signature; // the function's parameter list
    std::string output;    // the name of the encoded rows
};

// Writes the encoder for `inputFrames` feature frames (a multiple of `stack`).
// The weights depend on the size only, not on the frame count.
EncoderProgram writeConformerEncoder(BenchProgramWriter& w, const ConformerEncoderSize& size, std::int64_t inputFrames);

// The size and naming another runtime needs to rebuild the same graph.
nlohmann::json describeConformerEncoder(const ConformerEncoderSize& size);

} // namespace runtimebench
