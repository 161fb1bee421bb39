// Wall time of a chunked run over a 10-minute recording for worker pools of
// 1, 2, 4 and 8 recognisers, each chunk costing the same fixed model time:
// the ratio of the times is the run's speed-up.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrManager.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/ChunkProcessor.hpp"
#include "RazeziRuzer/Shared/ArrayAudioSampleSource.hpp"
#include "tests/RazeziRuzer/ASR/ScriptedParakeet/ScriptedParakeet.hpp"

#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

namespace razeziruzer {
namespace {

constexpr int recordingFrames = 7500; // 10 minutes
constexpr auto modelCostPerChunk = std::chrono::milliseconds(20);

void chunkedRunWithPoolSize(benchmark::State& state) {
    scriptedparakeet::Options options;
    options.onPreprocessor = [] { std::this_thread::sleep_for(modelCostPerChunk); };
    const scriptedparakeet::ScriptedParakeet scripted(options);
    AsrManager manager(ASRConfig(16000, TdtConfig::default_(), 1024, state.range(0), true, 480000, true, false),
                       scripted.models());

    std::vector<int> frames;
    for (int f = 0; f < recordingFrames; ++f) frames.push_back(f % 3 == 2 ? -1 : 30 + (f * 7) % 30);
    auto samples = scriptedparakeet::codedAudio(frames);
    const auto total = static_cast<std::int64_t>(samples.size());
    const ChunkProcessor processor{std::make_shared<ArrayAudioSampleSource>(std::move(samples)), total,
                                   AppLogger("ChunkProcessor"), 2.0, 1280, 0};

    for (auto _ : state) {
        auto result = processor.process(manager, std::chrono::system_clock::now(), {}, std::nullopt);
        benchmark::DoNotOptimize(result.text.data());
    }
    state.counters["perAudioSecond"] =
        benchmark::Counter(recordingFrames * 0.08 * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(chunkedRunWithPoolSize)->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace razeziruzer
