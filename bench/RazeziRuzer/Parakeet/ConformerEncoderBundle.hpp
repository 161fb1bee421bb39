#pragma once
// A real-size Parakeet encoder bundle: 128-band mel frames, 8x subsampled by
// strided and depthwise convolutions, through 24 conformer blocks 1024 wide
// (feed-forward 4096, 8 attention heads, depthwise kernel 9), about 0.6 B
// parameters of random weights. Attention and the convolution module mask the
// frames past "encoder_length", so padding never reaches a valid frame.
// Relative position terms are left out; their share of the work is small.

#include <cstdint>
#include <filesystem>

namespace parakeetbench {

enum class Precision { fp32, fp16 };

struct EncoderShape {
    std::int64_t width = 1024;
    std::int64_t blocks = 24;
    std::int64_t heads = 8;
    std::int64_t feedForward = 4096;
    std::int64_t kernel = 9;
};

// Weights and activations in `precision`; "mel" in and "encoder" out stay fp32.
// Flexible: any mel length up to the whole window's 1501 frames.
// Returns the number of parameters written.
std::int64_t writeConformerEncoder(const std::filesystem::path& folder, Precision precision, bool flexible,
                                   const EncoderShape& shape = {});

} // namespace parakeetbench
