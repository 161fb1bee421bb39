// Cost of the log-mel front end (128 bands, 512-point transform, hop 160)
// per second of 16 kHz audio.

#include "RazeziRuzer/Shared/AudioMelSpectrogram.hpp"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

std::vector<float> speechLikeSignal(std::size_t samples) {
    std::vector<float> audio(samples);
    for (std::size_t i = 0; i < samples; ++i) {
        audio[i] = static_cast<float>(0.3 * std::sin(0.07 * i) + 0.1 * std::sin(0.61 * i) + 0.02 * std::sin(2.9 * i));
    }
    return audio;
}

void reportAudioSeconds(benchmark::State& state, double seconds) {
    state.counters["audio_seconds"] =
        benchmark::Counter(seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["time_per_audio_second"] = benchmark::Counter(
        seconds * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void MelSpectrogramFlat(benchmark::State& state) {
    const double seconds = static_cast<double>(state.range(0));
    const auto audio = speechLikeSignal(static_cast<std::size_t>(seconds * 16000));
    razeziruzer::AudioMelSpectrogram mel;
    for (auto _ : state) {
        benchmark::DoNotOptimize(mel.computeFlat(audio, 0));
    }
    reportAudioSeconds(state, seconds);
}
BENCHMARK(MelSpectrogramFlat)->Arg(15)->Arg(600)->Unit(benchmark::kMillisecond);

void MelSpectrogramFlatTransposed(benchmark::State& state) {
    const double seconds = static_cast<double>(state.range(0));
    const auto audio = speechLikeSignal(static_cast<std::size_t>(seconds * 16000));
    razeziruzer::AudioMelSpectrogram mel;
    for (auto _ : state) {
        benchmark::DoNotOptimize(mel.computeFlatTransposed(audio, 0));
    }
    reportAudioSeconds(state, seconds);
}
BENCHMARK(MelSpectrogramFlatTransposed)->Arg(15)->Arg(600)->Unit(benchmark::kMillisecond);

} // namespace
