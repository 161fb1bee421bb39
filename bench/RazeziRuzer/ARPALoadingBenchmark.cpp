// Loading synthetic ARPA files of two sizes, about 7 MB and 70 MB, shaped like
// a real word bigram model (a vocabulary of 50,000 words and 30 times as many
// bigrams). Time per line should stay the same at both sizes; "modelMB" is the
// resident memory the loaded model holds.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/ARPALanguageModel.hpp"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace razeziruzer {
namespace {

std::string wordNamed(std::uint32_t index) { return "word" + std::to_string(index) + "s"; }

// Unigram and bigram lines in the usual form, with random scores.
std::filesystem::path writeModel(std::int64_t bigramCount) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("ostrel-arpa-bench-" + std::to_string(::getpid()) + "-" + std::to_string(bigramCount) + ".arpa");
    const auto words = static_cast<std::uint32_t>(std::max<std::int64_t>(bigramCount / 30, 100));
    std::mt19937 random(5);
    std::uniform_real_distribution<float> score(-6.0f, -0.1f);
    std::uniform_int_distribution<std::uint32_t> word(0, words - 1);
    std::ofstream out(path, std::ios::binary);
    out << "\\data\\\nngram 1=" << words << "\nngram 2=" << bigramCount << "\n\n\\1-grams:\n";
    for (std::uint32_t i = 0; i < words; ++i) out << score(random) << '\t' << wordNamed(i) << '\t' << score(random) << '\n';
    out << "\n\\2-grams:\n";
    for (std::int64_t i = 0; i < bigramCount; ++i) {
        out << score(random) << '\t' << wordNamed(word(random)) << ' ' << wordNamed(word(random)) << '\n';
    }
    out << "\n\\end\\\n";
    return path;
}

double residentMegabytes() {
    std::ifstream statm("/proc/self/statm");
    double size = 0;
    double resident = 0;
    statm >> size >> resident;
    return resident * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1e6;
}

void arpaLoadingBySize(benchmark::State& state) {
    const auto path = writeModel(state.range(0));
    const auto fileBytes = static_cast<std::int64_t>(std::filesystem::file_size(path));
    double modelMegabytes = 0;
    for (auto _ : state) {
        const double before = residentMegabytes();
        const auto model = ARPALanguageModel::load(path);
        modelMegabytes = residentMegabytes() - before;
        benchmark::DoNotOptimize(model.bigramCount());
    }
    std::filesystem::remove(path);
    state.SetBytesProcessed(state.iterations() * fileBytes);
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["fileMB"] = static_cast<double>(fileBytes) / 1e6;
    state.counters["modelMB"] = modelMegabytes;
}
BENCHMARK(arpaLoadingBySize)->Arg(240'000)->Arg(2'400'000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
} // namespace razeziruzer
