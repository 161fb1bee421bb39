// Prefix beam search over random CTC frames (T 188 and 1000 frames, 1025
// tokens, beams of 8 and 32; and one and ten minutes), and loading ARPA files
// of growing size.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/ARPALanguageModel.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/CtcBeamSearch.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/CtcLogProbMath.hpp"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace razeziruzer {
namespace {

constexpr int vocabularySize = 1025;
constexpr int blankId = vocabularySize - 1;

CtcLogProbFrames randomFrames(int frameCount) {
    std::mt19937 random(1);
    std::normal_distribution<float> logits(0.0f, 3.0f);
    CtcLogProbFrames raw(static_cast<std::size_t>(frameCount), std::vector<float>(vocabularySize));
    for (auto& frame : raw) {
        for (auto& value : frame) value = logits(random);
    }
    return CtcLogProbMath::applyLogSoftmax(raw, blankId, 1.0f, 0.0f);
}

Vocabulary pieces() {
    Vocabulary vocabulary;
    for (int id = 0; id < blankId; ++id) vocabulary[id] = (id % 4 == 0 ? "\xE2\x96\x81" : "") + std::to_string(id);
    return vocabulary;
}

void beamSearch(benchmark::State& state) {
    const auto frames = randomFrames(static_cast<int>(state.range(0)));
    const auto vocabulary = pieces();
    ARPALanguageModel lm;
    for (int id = 0; id < 200; ++id) lm.setUnigram(std::to_string(id), {-2.0f, -0.5f});
    for (auto _ : state) {
        benchmark::DoNotOptimize(ctcBeamSearch(frames, vocabulary, &lm, static_cast<int>(state.range(1)), 0.5f, 1.0f,
                                               blankId, 8));
    }
}
BENCHMARK(beamSearch)->ArgsProduct({{188, 1000}, {8, 32}})->Unit(benchmark::kMillisecond);

// One and ten minutes of dense input (80 ms frames, a token in nearly every
// frame), so prefixes grow with the input: the time per frame must not.
void beamSearchMinutes(benchmark::State& state) {
    const auto frames = randomFrames(static_cast<int>(state.range(0)));
    const auto vocabulary = pieces();
    ARPALanguageModel lm;
    for (int id = 0; id < 200; ++id) lm.setUnigram(std::to_string(id), {-2.0f, -0.5f});
    const ARPALanguageModel* model = state.range(1) != 0 ? &lm : nullptr;
    for (auto _ : state) benchmark::DoNotOptimize(ctcBeamSearch(frames, vocabulary, model, 8, 0.5f, 1.0f, blankId, 8));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
// Second argument: 1 with the language model, 0 without.
BENCHMARK(beamSearchMinutes)->ArgsProduct({{750, 7500}, {0, 1}})->Unit(benchmark::kMillisecond);

void arpaLoading(benchmark::State& state) {
    const auto path = std::filesystem::temp_directory_path() / ("bench-" + std::to_string(state.range(0)) + ".arpa");
    {
        std::ofstream out(path);
        out << "\\data\\\n\\1-grams:\n";
        for (int i = 0; i < state.range(0); ++i) out << "-1.5\tw" << i << "\t-0.3\n";
        out << "\\2-grams:\n";
        for (int i = 0; i + 1 < state.range(0); ++i) out << "-0.7\tw" << i << " w" << i + 1 << "\n";
        out << "\\end\\\n";
    }
    for (auto _ : state) benchmark::DoNotOptimize(ARPALanguageModel::load(path));
    std::filesystem::remove(path);
    state.SetItemsProcessed(state.iterations() * state.range(0) * 2);
}
BENCHMARK(arpaLoading)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace razeziruzer
