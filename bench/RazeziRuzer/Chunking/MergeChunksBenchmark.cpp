// Folding an hour of chunk token lists together, as the chunked run does.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/ChunkProcessor.hpp"

#include <benchmark/benchmark.h>

#include <memory>

namespace razeziruzer {
namespace {

constexpr int framesPerHour = 3600 * 1000 / 80;
constexpr int chunkFrames = 187;
constexpr int strideFrames = 162;

// One token on two of every three frames, as in dense speech; every fifth a word start.
std::vector<std::vector<TokenEntry>> hourOfChunks() {
    std::vector<std::vector<TokenEntry>> chunks;
    for (int start = 0; start < framesPerHour; start += strideFrames) {
        std::vector<TokenEntry> tokens;
        for (int f = start; f < std::min(start + chunkFrames, framesPerHour); ++f) {
            if (f % 3 != 2) tokens.push_back({f % 500, f, 0.9f, 1});
        }
        chunks.push_back(std::move(tokens));
    }
    return chunks;
}

void mergeAnHourOfChunks(benchmark::State& state) {
    const ChunkProcessor processor{nullptr, 0, AppLogger("ChunkProcessor"), 2.0, 1280, 0};
    const auto chunks = hourOfChunks();
    std::unordered_set<int> safe;
    for (int id = 0; id < 500; id += 5) safe.insert(id);
    for (auto _ : state) {
        auto merged = chunks.front();
        for (std::size_t i = 1; i < chunks.size(); ++i) merged = processor.mergeChunks(merged, chunks[i], safe);
        benchmark::DoNotOptimize(merged.data());
    }
    state.counters["chunks"] = static_cast<double>(chunks.size());
    // Cost per second of audio.
    state.counters["perAudioSecond"] =
        benchmark::Counter(3600.0 * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(mergeAnHourOfChunks)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace razeziruzer
