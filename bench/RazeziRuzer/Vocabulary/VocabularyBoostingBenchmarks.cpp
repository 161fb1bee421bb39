// The keyword alignment of one term over a 15 s window, BK-tree search
// against a linear scan at 100, 1000 and 10 000 terms, and BPE encoding.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/BKTree/BKTree.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/BpeTokenizer.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/CtcDPAlgorithm.hpp"
#include "RazeziRuzer/Shared/StringUtils.hpp"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <random>

namespace razeziruzer {
namespace {

void keywordAlignmentPerTerm(benchmark::State& state) {
    std::mt19937 random(2);
    std::uniform_real_distribution<float> values(-12.0f, 0.0f);
    CtcLogProbFrames frames(188, std::vector<float>(1025));
    for (auto& frame : frames) {
        for (auto& value : frame) value = values(random);
    }
    std::vector<std::int64_t> term;
    for (int i = 0; i < state.range(0); ++i) term.push_back(17 * i + 3);
    for (auto _ : state) {
        benchmark::DoNotOptimize(CtcDPAlgorithm::ctcWordSpotMultiple(frames, term, -15.0f, true, 1024));
    }
}
BENCHMARK(keywordAlignmentPerTerm)->Arg(3)->Arg(8)->Unit(benchmark::kMicrosecond);

std::vector<CustomVocabularyTerm> randomTerms(int count) {
    std::mt19937 random(3);
    std::vector<CustomVocabularyTerm> terms;
    for (int i = 0; i < count; ++i) {
        std::string text(4 + random() % 8, 'a');
        for (auto& c : text) c = static_cast<char>('a' + random() % 26);
        terms.emplace_back(text);
    }
    return terms;
}

void bkTreeSearch(benchmark::State& state) {
    const auto terms = randomTerms(static_cast<int>(state.range(0)));
    const BKTree tree(terms);
    for (auto _ : state) benchmark::DoNotOptimize(tree.search("kovirimo", 2));
}
BENCHMARK(bkTreeSearch)->Arg(100)->Arg(1000)->Arg(10'000)->Unit(benchmark::kMicrosecond);

void linearScan(benchmark::State& state) {
    const auto terms = randomTerms(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        int found = 0;
        for (const auto& term : terms) found += StringUtils::levenshteinDistance("kovirimo", term.textLowercased()) <= 2;
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(linearScan)->Arg(100)->Arg(1000)->Arg(10'000)->Unit(benchmark::kMicrosecond);

void bpeEncoding(benchmark::State& state) {
    nlohmann::json vocab = nlohmann::json::object();
    nlohmann::json merges = nlohmann::json::array();
    int id = 0;
    for (char c = 'a'; c <= 'z'; ++c) vocab[std::string(1, c)] = id++;
    vocab["\xE2\x96\x81"] = id++;
    for (char a = 'a'; a <= 'z'; ++a) {
        for (char b = 'a'; b <= 'z'; b += 3) {
            merges.push_back(std::string(1, a) + " " + std::string(1, b));
            vocab[std::string(1, a) + b] = id++;
        }
    }
    const auto folder = std::filesystem::temp_directory_path() / "bench-bpe";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "tokenizer.json") << nlohmann::json{{"model", {{"type", "BPE"}, {"vocab", vocab}, {"merges", merges}}}}.dump();
    const auto tokenizer = BpeTokenizer::load(folder);
    std::filesystem::remove_all(folder);
    for (auto _ : state) benchmark::DoNotOptimize(tokenizer.encode("Ostrel Virorez Zovirivo", false, true));
}
BENCHMARK(bpeEncoding)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace razeziruzer
