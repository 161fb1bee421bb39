// Cost of turning captured or decoded audio into the models' 16 kHz mono
// float, per second of input audio.

#include "Platform/Audio/AudioConverter.hpp"

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>

namespace {

using namespace platform::audio;

PCMBuffer stereoTone(double rate, std::uint32_t frames) {
    auto buffer = *PCMBuffer::make(*AudioFormat::standard(rate, 2), frames);
    for (std::uint32_t f = 0; f < frames; ++f) {
        const double t = f / rate;
        buffer.floatChannelData(0)[f] = static_cast<float>(0.5 * std::sin(2 * std::numbers::pi * 440 * t));
        buffer.floatChannelData(1)[f] = static_cast<float>(0.3 * std::sin(2 * std::numbers::pi * 1250 * t));
    }
    buffer.setFrameLength(frames);
    return buffer;
}

// Ten seconds of 48 kHz stereo converted in one call, tail included.
void WholeBuffer48kStereoTo16kMono(benchmark::State& state) {
    constexpr double seconds = 10;
    const auto input = stereoTone(48000, static_cast<std::uint32_t>(48000 * seconds));
    for (auto _ : state) {
        benchmark::DoNotOptimize(AudioConverter::convertAll(input, AudioFormat::standard()));
    }
    state.counters["audio_seconds"] =
        benchmark::Counter(seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.SetItemsProcessed(static_cast<std::int64_t>(seconds) * state.iterations());
}
BENCHMARK(WholeBuffer48kStereoTo16kMono)->Unit(benchmark::kMillisecond);

// Capture-style streaming: 1024-frame blocks through one converter that keeps its state.
void Streaming48kStereoTo16kMono(benchmark::State& state) {
    const auto block = stereoTone(48000, 1024);
    auto converter = AudioConverter::make(block.format(), AudioFormat::standard());
    auto output = *PCMBuffer::make(AudioFormat::standard(), 4096);
    bool given = false;
    const AudioConverterInputBlock once = [&](std::uint32_t, AudioConverterInputStatus& status) -> const PCMBuffer* {
        status = given ? AudioConverterInputStatus::noDataNow : AudioConverterInputStatus::haveData;
        return std::exchange(given, true) ? nullptr : &block;
    };
    for (auto _ : state) {
        given = false;
        benchmark::DoNotOptimize(converter->convert(output, once));
    }
    const double seconds = 1024.0 / 48000 * static_cast<double>(state.iterations());
    state.counters["audio_seconds"] = benchmark::Counter(seconds, benchmark::Counter::kIsRate);
}
BENCHMARK(Streaming48kStereoTo16kMono);

} // namespace
