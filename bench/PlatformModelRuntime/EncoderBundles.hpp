#pragma once
// The files of one comparison folder: our bundle of the conformer encoder for
// each input length (all sharing one weight file), the seeded input features
// of each length, and optionally the same weights raw for the other runtime.
//
//   encoder.json (size and precision)   encoder-<seconds>s.mlmodelc/   input-<seconds>s.f32
//   peer/graph.json   peer/weights.f32

#include "bench/PlatformModelRuntime/BenchProgramWriter.hpp"
#include "bench/PlatformModelRuntime/ConformerEncoder.hpp"

#include <filesystem>
#include <string>
#include <vector>

namespace runtimebench {

struct EncoderBundleRequest {
    ConformerEncoderSize size;
    WeightPrecision precision = WeightPrecision::fp32;
    std::vector<int> seconds{10};
    bool rawWeights = false;
};

// Feature frames per second of audio (10 ms hop).
inline constexpr std::int64_t featureFramesPerSecond = 100;

std::filesystem::path encoderBundlePath(const std::filesystem::path& folder, int seconds);
std::filesystem::path encoderInputPath(const std::filesystem::path& folder, int seconds);

void writeEncoderBundles(const std::filesystem::path& folder, const EncoderBundleRequest& request);

} // namespace runtimebench
