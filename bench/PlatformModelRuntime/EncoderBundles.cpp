#include "bench/PlatformModelRuntime/EncoderBundles.hpp"

#include "bench/PlatformModelRuntime/RawFloats.hpp"
#include "bench/PlatformModelRuntime/RawWeightWriter.hpp"

#include <fstream>
#include <optional>
#include <random>

namespace runtimebench {
namespace {

// Roughly what normalised log-mel features look like: zero mean, unit spread.
std::vector<float> seededFeatures(std::int64_t count) {
    std::mt19937 generator(2024);
    std::normal_distribution<float> distribution(0.0f, 1.0f);
    std::vector<float> values(static_cast<std::size_t>(count));
    for (auto& value : values) {
        value = distribution(generator);
    }
    return values;
}

} // namespace

std::filesystem::path encoderBundlePath(const std::filesystem::path& folder, int seconds) {
    return folder / ("encoder-" + std::to_string(seconds) + "s.mlmodelc");
}

std::filesystem::path encoderInputPath(const std::filesystem::path& folder, int seconds) {
    return folder / ("input-" + std::to_string(seconds) + "s.f32");
}

void writeEncoderBundles(const std::filesystem::path& folder, const EncoderBundleRequest& request) {
    std::filesystem::create_directories(folder);
    std::optional<std::filesystem::path> firstWeights;
    for (const auto seconds : request.seconds) {
        const auto frames = seconds * featureFramesPerSecond;
        const auto bundle = encoderBundlePath(folder, seconds);
        std::filesystem::remove_all(bundle);
        // The weights do not depend on the length, so only the first program
        // writes them; the others are the same draws in the same order and
        // link to that file.
        BenchProgramWriter w(request.precision);
        std::optional<RawWeightWriter> raw;
        if (request.rawWeights && !firstWeights) {
            raw.emplace(folder / "peer");
            w.observeWeights([&](const std::string& name, const std::vector<std::int64_t>& shape, std::span<const float> values) {
                raw->add(name, shape, values);
            });
        }
        const auto program = writeConformerEncoder(w, request.size, frames);
        if (firstWeights) {
            w.writeProgram(bundle, program.signature, program.output);
            std::filesystem::create_directories(bundle / "weights");
            std::filesystem::create_hard_link(*firstWeights, bundle / "weights" / "weight.bin");
        } else {
            w.write(bundle, program.signature, program.output);
            firstWeights = bundle / "weights" / "weight.bin";
        }
        if (raw) {
            raw->finish(describeConformerEncoder(request.size));
        }
        writeRawFloats(encoderInputPath(folder, seconds), seededFeatures(request.size.melBins * frames));
    }
    auto description = describeConformerEncoder(request.size);
    description["precision"] = weightPrecisionName(request.precision);
    std::ofstream(folder / "encoder.json") << description.dump(1) << "\n";
}

} // namespace runtimebench
