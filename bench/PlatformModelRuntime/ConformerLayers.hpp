#pragma once
// The statements of one conformer block (half-step feed-forward, multi-head
// self-attention, convolution module, half-step feed-forward, final norm) on
// rows [1, frames, width], written through a BenchProgramWriter. Every value
// and weight a block writes starts with its prefix, so blocks stack.

#include "bench/PlatformModelRuntime/BenchProgramWriter.hpp"

#include <cstdint>
#include <string>

namespace runtimebench {

struct ConformerBlockSize {
    std::int64_t frames = 125;
    std::int64_t width = 1024;
    std::int64_t heads = 8;
    std::int64_t hidden = 4096;
    std::int64_t kernel = 9;
};

// The constants every block refers to by name; written once per program.
void writeConformerConstants(BenchProgramWriter& w, const ConformerBlockSize& size);

// Returns the name of the block's output.
std::string writeConformerBlock(BenchProgramWriter& w, const std::string& prefix, const std::string& x, const ConformerBlockSize& size);

// linear(x) with weight [out, in] and bias [out], drawn with the usual
// ±1/sqrt(in) bound so activations keep their scale through deep stacks.
std::string writeLinear(BenchProgramWriter& w, const std::string& p, const std::string& x, const std::vector<std::int64_t>& outShape,
                        std::int64_t in, std::int64_t out);

// layer_norm over the last axis with its own gamma and beta.
std::string writeLayerNorm(BenchProgramWriter& w, const std::string& p, const std::string& x, const std::vector<std::int64_t>& shape,
                           std::int64_t width);

// Multi-head self-attention with its four projections over rows [1, frames, width].
std::string writeSelfAttention(BenchProgramWriter& w, const std::string& p, const std::string& x, const ConformerBlockSize& size);

} // namespace runtimebench
