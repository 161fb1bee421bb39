// Cost of turning a 44.1 kHz stereo file into the models' 16 kHz mono
// samples through the package's AudioConverter, per second of audio.

#include "RazeziRuzer/Shared/AudioConverter.hpp"

#include "bench/RazeziRuzer/StereoWavFile.hpp"

#include <benchmark/benchmark.h>

namespace {

void ResampleFile44kStereoTo16kMono(benchmark::State& state) {
    const double seconds = static_cast<double>(state.range(0));
    const razaudiobench::StereoWavFile file(seconds);
    const razeziruzer::AudioConverter converter;
    for (auto _ : state) {
        benchmark::DoNotOptimize(converter.resampleAudioFile(file.path()));
    }
    state.counters["audio_seconds"] =
        benchmark::Counter(seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["time_per_audio_second"] = benchmark::Counter(
        seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(ResampleFile44kStereoTo16kMono)->Arg(15)->Arg(120)->Arg(600)->Unit(benchmark::kMillisecond);

} // namespace
