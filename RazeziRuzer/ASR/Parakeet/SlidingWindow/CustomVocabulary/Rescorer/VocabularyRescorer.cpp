#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/Rescorer/VocabularyRescorer.hpp"

#include "Platform/Text/Whitespace.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/Rescorer/VocabularyTextUtilities.hpp"

#include <cmath>

namespace razeziruzer {

float VocabularyRescorerConfig::adaptiveCbw(float baseCbw, std::int64_t tokenCount) const {
    if (!useAdaptiveThresholds || tokenCount <= referenceTokenCount) return baseCbw;
    return baseCbw * (1.0f + 0.3f * std::log2(static_cast<float>(tokenCount) / static_cast<float>(referenceTokenCount)));
}

VocabularyRescorer VocabularyRescorer::create(CtcKeywordSpotter spotter, CustomVocabularyContext vocabulary,
                                              Config config,
                                              const std::optional<std::filesystem::path>& ctcModelDirectory) {
    auto tokenizer = ctcModelDirectory ? CtcTokenizer::load(*ctcModelDirectory) : CtcTokenizer::load();
    return VocabularyRescorer(std::move(spotter), std::move(vocabulary), std::move(tokenizer), config);
}

VocabularyRescorer::VocabularyRescorer(CtcKeywordSpotter spotter, CustomVocabularyContext vocabulary,
                                       std::optional<CtcTokenizer> ctcTokenizer, Config config)
    : logger_("VocabularyRescorer"), spotter_(std::move(spotter)), vocabulary_(std::move(vocabulary)),
      ctcTokenizer_(std::move(ctcTokenizer)), config_(config) {}

std::vector<VocabularyRescorer::WordTiming> VocabularyRescorer::buildWordTimings(
    const std::vector<TokenTiming>& tokenTimings) {
    std::vector<WordTiming> words;
    WordTiming current;
    const auto close = [&] {
        if (current.word.empty()) return;
        auto trimmed = platform::text::trimHorizontalWhitespace(current.word);
        if (!trimmed.empty()) words.push_back({std::move(trimmed), current.startTime, current.endTime});
    };
    for (const auto& token : tokenTimings) {
        if (token.token.empty() || token.token == "<blank>" || token.token == "<pad>") continue;
        const bool boundary = isWordBoundary(token.token);
        if (!boundary && !current.word.empty()) {
            current.word += token.token;
            current.endTime = token.endTime;
            continue;
        }
        close();
        current = {boundary ? stripWordBoundaryPrefix(token.token) : token.token, token.startTime, token.endTime};
    }
    close();
    return words;
}

} // namespace razeziruzer
