// Cost of turning a 44.1 kHz stereo file into the models' 16 kHz mono
// samples through the package's AudioConverter, per second of audio.

#include "RazeziRuzer/Shared/AudioConverter.hpp"

#include "Platform/Audio/WavWriter.hpp"

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <unistd.h>
#include <vector>

namespace {

// A stereo WAV file of the given length in the temporary folder, removed when the benchmark ends.
class StereoFile {
public:
    explicit StereoFile(double seconds)
        : path_(std::filesystem::temp_directory_path() /
                ("razaudio-bench-" + std::to_string(::getpid()) + ".wav")) {
        const auto frames = static_cast<std::size_t>(seconds * 44100);
        std::vector<float> interleaved(frames * 2);
        for (std::size_t f = 0; f < frames; ++f) {
            const double t = static_cast<double>(f) / 44100;
            interleaved[2 * f] = static_cast<float>(0.4 * std::sin(2 * std::numbers::pi * 440 * t));
            interleaved[2 * f + 1] = static_cast<float>(0.3 * std::sin(2 * std::numbers::pi * 1250 * t));
        }
        platform::audio::WavWriter::write(path_, interleaved, 44100, 2);
    }
    ~StereoFile() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

void ResampleFile44kStereoTo16kMono(benchmark::State& state) {
    const double seconds = static_cast<double>(state.range(0));
    const StereoFile file(seconds);
    const razeziruzer::AudioConverter converter;
    for (auto _ : state) {
        benchmark::DoNotOptimize(converter.resampleAudioFile(file.path()));
    }
    state.counters["audio_seconds"] =
        benchmark::Counter(seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["time_per_audio_second"] = benchmark::Counter(
        seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(ResampleFile44kStereoTo16kMono)->Arg(15)->Arg(120)->Unit(benchmark::kMillisecond);

} // namespace
