#include "bench/RazeziRuzer/Parakeet/MelPreprocessorBundle.hpp"

#include "tests/Support/ParakeetBundles/ProgramBuilder.hpp"

#include <nlohmann/json.hpp>

#include <cmath>
#include <numbers>
#include <vector>

namespace parakeetbench {
namespace {

using testsupport::parakeet::DataType;
using testsupport::parakeet::ProgramBuilder;
using testsupport::parakeet::typeText;

constexpr std::int64_t window = 240000;
constexpr std::int64_t hop = 160;
constexpr std::int64_t fftSize = 512;
constexpr std::int64_t windowLength = 400;
constexpr std::int64_t bins = fftSize / 2 + 1;
constexpr std::int64_t bands = 128;

// Rows 0..256 the real parts, 257..513 the imaginary parts of the windowed transform.
std::vector<float> transformRows() {
    std::vector<float> rows(static_cast<std::size_t>(2 * bins * fftSize), 0.0f);
    const auto offset = (fftSize - windowLength) / 2;
    for (std::int64_t k = 0; k < bins; ++k) {
        for (std::int64_t n = 0; n < windowLength; ++n) {
            const double hann = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * static_cast<double>(n) / windowLength);
            const double angle = 2 * std::numbers::pi * static_cast<double>(k * (n + offset)) / fftSize;
            rows[static_cast<std::size_t>(k * fftSize + n + offset)] = static_cast<float>(hann * std::cos(angle));
            rows[static_cast<std::size_t>((bins + k) * fftSize + n + offset)] = static_cast<float>(-hann * std::sin(angle));
        }
    }
    return rows;
}

double toMel(double hz) { return 2595.0 * std::log10(1.0 + hz / 700.0); }
double fromMel(double mel) { return 700.0 * (std::pow(10.0, mel / 2595.0) - 1.0); }

// Triangular filters evenly spaced on the mel scale from 0 to 8 kHz.
std::vector<float> melFilters() {
    std::vector<float> filters(static_cast<std::size_t>(bands * bins), 0.0f);
    const double top = toMel(8000.0);
    for (std::int64_t b = 0; b < bands; ++b) {
        const double left = fromMel(top * static_cast<double>(b) / (bands + 1));
        const double centre = fromMel(top * static_cast<double>(b + 1) / (bands + 1));
        const double right = fromMel(top * static_cast<double>(b + 2) / (bands + 1));
        for (std::int64_t k = 0; k < bins; ++k) {
            const double hz = 8000.0 * static_cast<double>(k) / (bins - 1);
            const double weight = hz < centre ? (hz - left) / (centre - left) : (right - hz) / (right - centre);
            filters[static_cast<std::size_t>(b * bins + k)] = static_cast<float>(std::max(0.0, weight) * 2.0 / (right - left));
        }
    }
    return filters;
}

} // namespace

void writeMelPreprocessor(const std::filesystem::path& folder, bool flexible) {
    constexpr auto f32 = DataType::fp32;
    const std::int64_t samples = flexible ? -1 : window;
    const std::int64_t frames = flexible ? -1 : window / hop + 1;
    testsupport::ModelBundleWriter bundle;
    ProgramBuilder p(bundle, typeText(f32, {1, samples}) + " audio_signal, tensor<int32, [1]> audio_length");
    p.ints("channel_axis", {1})
        .op(f32, {1, 1, samples}, "signal", "expand_dims(axes = channel_axis, x = audio_signal)")
        .ints("centre_pad", {0, 0, 0, 0, fftSize / 2, fftSize / 2})
        .text("constant_mode", "constant")
        .number("silence", 0)
        .op(f32, {1, 1, flexible ? -1 : window + fftSize}, "padded",
            "pad(constant_val = silence, mode = constant_mode, pad = centre_pad, x = signal)")
        .weights("transform", transformRows(), {2 * bins, 1, fftSize}, f32)
        .ints("hop_stride", {hop})
        .ints("unit", {1})
        .ints("no_pad", {0, 0})
        .integer("one", 1)
        .text("valid", "valid")
        .op(f32, {1, 2 * bins, frames}, "spectrum",
            "conv(dilations = unit, groups = one, pad = no_pad, pad_type = valid, strides = hop_stride, "
            "weight = transform, x = padded)")
        .op(f32, {1, 2 * bins, frames}, "squared", "square(x = spectrum)")
        .integer("two", 2)
        .line(typeText(f32, {1, bins, frames}) + " real, " + typeText(f32, {1, bins, frames}) +
              " imaginary = split(axis = one, num_splits = two, x = squared)[name = string(\"parts\")]")
        .op(f32, {1, bins, frames}, "power", "add(x = real, y = imaginary)")
        .weights("filters", melFilters(), {1, bands, bins}, f32)
        .op(f32, {1, bands, frames}, "energies", "matmul(x = filters, y = power)")
        .number("floor", std::ldexp(1.0, -24))
        .op(f32, {1, bands, frames}, "floored", "add(x = energies, y = floor)")
        .op(f32, {1, bands, frames}, "log_mel", "log(x = floored)")
        .integer("hop_size", hop)
        .op("tensor<int32, [1]> whole_hops", "floor_div(x = audio_length, y = hop_size)")
        .op("tensor<int32, [1]> mel_length", "add(x = whole_hops, y = one)")
        // The valid frames, from the frame count of this call.
        .op("tensor<int32, [3]> mel_shape", "shape(x = log_mel)")
        .integer("time_index", 2)
        .integer("zero", 0)
        .op("int32 frame_count", "gather(axis = zero, indices = time_index, x = mel_shape)")
        .op("tensor<int32, " + std::string(flexible ? "[?]" : "[" + std::to_string(frames) + "]") + "> positions",
            "range_1d(end = frame_count, start = zero, step = one)")
        .op(typeText(DataType::boolean, {frames}) + " valid_frames", "less(x = positions, y = mel_length)")
        .text("float_type", "fp32")
        .op(f32, {frames}, "frame_weights", "cast(dtype = float_type, x = valid_frames)")
        .ints("mask_shape", {1, 1, -1})
        .op(f32, {1, 1, frames}, "mask", "reshape(shape = mask_shape, x = frame_weights)")
        .op(f32, {1, bands, frames}, "masked", "mul(x = log_mel, y = mask)")
        .ints("time_axes", {-1})
        .flag("keep", true)
        .op(f32, {1, bands, 1}, "band_sum", "reduce_sum(axes = time_axes, keep_dims = keep, x = masked)")
        .op(f32, {1}, "count", "cast(dtype = float_type, x = mel_length)")
        .op(f32, {1, bands, 1}, "band_mean", "real_div(x = band_sum, y = count)")
        .op(f32, {1, bands, frames}, "offsets", "sub(x = log_mel, y = band_mean)")
        .op(f32, {1, bands, frames}, "centred", "mul(x = offsets, y = mask)")
        .op(f32, {1, bands, frames}, "squares", "square(x = centred)")
        .op(f32, {1, bands, 1}, "square_sum", "reduce_sum(axes = time_axes, keep_dims = keep, x = squares)")
        .number("unit_value", 1)
        .op(f32, {1}, "degrees", "sub(x = count, y = unit_value)")
        .op(f32, {1, bands, 1}, "variance", "real_div(x = square_sum, y = degrees)")
        .op(f32, {1, bands, 1}, "deviation", "sqrt(x = variance)")
        .number("guard", 1e-5)
        .op(f32, {1, bands, 1}, "scale", "add(x = deviation, y = guard)")
        .op(f32, {1, bands, frames}, "mel", "real_div(x = centred, y = scale)");
    std::optional<nlohmann::json> metadata;
    if (flexible) {
        metadata = nlohmann::json::array({{{"inputSchema",
                                            {{{"name", "audio_signal"},
                                              {"shape", "[1, 240000]"},
                                              {"hasShapeFlexibility", "1"},
                                              {"shapeRange", "[[1, 1], [1, 240000]]"}}}}}});
    }
    bundle.write(folder, p.program("mel, mel_length"), metadata);
}

} // namespace parakeetbench
