// Host work around one text-decoder pass at a 51 866-token vocabulary: the
// logits filters, greedy sampling and the key-value cache update; and the
// compression-ratio test, per token.

#include "Hushframe/Core/TokenSampler.hpp"
#include "Hushframe/Decoding/LogitsFilters.hpp"
#include "Hushframe/Decoding/TextDecoder.hpp"
#include "Hushframe/Decoding/TextUtilities.hpp"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

namespace {

using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;

constexpr std::int64_t vocabulary = 51866;
constexpr std::int64_t cacheWidth = 20480; // 32 layers of 640 keys
constexpr std::int64_t cacheLength = 448;

hushframe::SpecialTokens specialTokens() {
    hushframe::SpecialTokens tokens;
    tokens.endToken = 50257;
    tokens.specialTokenBegin = 50257;
    tokens.startOfTranscriptToken = 50258;
    tokens.englishToken = 50259;
    tokens.translateToken = 50358;
    tokens.transcribeToken = 50359;
    tokens.startOfPreviousToken = 50361;
    tokens.noSpeechToken = 50362;
    tokens.noTimestampsToken = 50363;
    tokens.timeTokenBegin = 50364;
    tokens.whitespaceToken = 220;
    return tokens;
}

MLMultiArray randomArray(std::vector<std::int64_t> shape, std::uint32_t seed, MLMultiArrayDataType type) {
    MLMultiArray array(std::move(shape), type);
    std::mt19937 generator(seed);
    std::normal_distribution<float> distribution(0.0f, 3.0f);
    for (std::int64_t i = 0; i < array.count(); ++i) {
        array[i] = distribution(generator);
    }
    return array;
}

void DecodingStepHostWork(benchmark::State& state) {
    const auto tokens = specialTokens();
    std::vector<std::shared_ptr<hushframe::LogitsFiltering>> filters{
        std::make_shared<hushframe::SuppressBlankFilter>(tokens, 3),
        std::make_shared<hushframe::SuppressTokensFilter>(std::vector<int>{1, 2, 7, 8, 9, 10, 14, 25, 26, 27, 28, 29, 31, 58, 59, 60,
                                                                           61, 62, 63, 90, 91, 92, 93, 359, 503, 522, 542, 873}),
        std::make_shared<hushframe::TimestampRulesFilter>(tokens, 3, 50, true),
    };
    hushframe::GreedyTokenSampler sampler(0.0f, tokens.endToken, hushframe::DecodingOptions());
    const auto logits = randomArray({1, 1, vocabulary}, 1, MLMultiArrayDataType::float32);
    const MLMultiArray keyCache({1, cacheWidth, 1, cacheLength}, MLMultiArrayDataType::float16);
    const MLMultiArray valueCache({1, cacheWidth, 1, cacheLength}, MLMultiArrayDataType::float16);
    const auto keySlice = randomArray({1, cacheWidth, 1, 1}, 2, MLMultiArrayDataType::float16);
    const auto valueSlice = randomArray({1, cacheWidth, 1, 1}, 3, MLMultiArrayDataType::float16);
    const std::vector<int> prompt{tokens.startOfTranscriptToken, tokens.englishToken, tokens.transcribeToken, tokens.timeTokenBegin,
                                  400, 1025, 2000, 318};
    const std::vector<float> logProbs(prompt.size(), -0.1f);
    std::int64_t position = 0;
    for (auto _ : state) {
        auto filtered = logits.clone(); // filters may work in place
        for (const auto& filter : filters) {
            filtered = filter->filterLogits(filtered, prompt);
        }
        benchmark::DoNotOptimize(sampler.update(prompt, filtered, logProbs));
        hushframe::TextDecoder::updateKVCache(keyCache, keySlice, valueCache, valueSlice, position);
        position = (position + 1) % cacheLength;
    }
    state.SetItemsProcessed(state.iterations());
}

void CompressionRatioPerToken(benchmark::State& state) {
    const auto count = static_cast<std::size_t>(state.range(0));
    std::mt19937 generator(4);
    std::uniform_int_distribution<int> token(0, 50256);
    std::vector<int> tokens(count);
    for (auto& value : tokens) {
        value = token(generator);
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(hushframe::TextUtilities::compressionRatio(tokens));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(count));
}

} // namespace

BENCHMARK(DecodingStepHostWork)->Unit(benchmark::kMicrosecond);
BENCHMARK(CompressionRatioPerToken)->Arg(32)->Arg(224)->Unit(benchmark::kMicrosecond);
