// Cost of the greedy TDT decoding loop itself: the decoder and joint run over
// zero-cost scripted models, so the figures are the loop's own frame handling,
// buffer reuse and model-call overhead. Reported as encoder frames per second.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/TdtDecoderV3.hpp"
#include "tests/RazeziRuzer/ASR/ScriptedParakeet/ScriptedParakeet.hpp"

#include <benchmark/benchmark.h>

namespace razeziruzer {
namespace {

constexpr int windowFrames = 188;

// A token on every other frame, like dense speech.
std::vector<int> speechLike(int frames) {
    std::vector<int> tokens;
    for (int f = 0; f < frames; ++f) tokens.push_back(f % 2 == 0 ? (f / 2) % 60 : -1);
    return tokens;
}

void decodeWindows(benchmark::State& benchmarkState, int windows) {
    const scriptedparakeet::ScriptedParakeet models;
    const platform::coreml::MLModel decoderModel(models.decoder);
    const platform::coreml::MLModel jointModel(models.joint);
    const auto encoder = scriptedparakeet::encoderOutput(speechLike(windowFrames));
    for (auto _ : benchmarkState) {
        auto state = TdtDecoderState::make(2);
        for (int w = 0; w < windows; ++w) {
            state.reset();
            TdtDecoderV3 decoder(ASRConfig::default_());
            auto hypothesis = decoder.decodeWithTimings(encoder, windowFrames, windowFrames, decoderModel, jointModel,
                                                        state, 0, true, w * windowFrames, std::nullopt, nullptr,
                                                        std::nullopt, std::nullopt);
            benchmark::DoNotOptimize(hypothesis.ySequence.data());
        }
    }
    const double frames = static_cast<double>(windows) * windowFrames;
    benchmarkState.counters["frames/s"] =
        benchmark::Counter(frames * static_cast<double>(benchmarkState.iterations()), benchmark::Counter::kIsRate);
    benchmarkState.counters["audio s/s"] = benchmark::Counter(
        frames * 0.08 * static_cast<double>(benchmarkState.iterations()), benchmark::Counter::kIsRate);
}

void BM_TdtDecodeOneWindow(benchmark::State& state) { decodeWindows(state, 1); }
// Ten minutes of audio: 7,500 frames in windows of 188.
void BM_TdtDecodeTenMinutes(benchmark::State& state) { decodeWindows(state, 7500 / windowFrames + 1); }

BENCHMARK(BM_TdtDecodeOneWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TdtDecodeTenMinutes)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace razeziruzer
