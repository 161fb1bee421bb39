#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/CustomVocabularyCtcLoader.hpp"

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/CtcTokenizer.hpp"

namespace razeziruzer {

VocabularyWithCtcModels loadWithCtcTokens(const std::string& path, CtcModelVariant ctcVariant) {
    const auto folder = CtcModels::download(std::nullopt, ctcVariant, false);
    auto models = CtcModels::load(folder, ctcVariant);
    const auto simple = CustomVocabularyContext::loadFromSimpleFormat(path);
    const auto tokenizer = CtcTokenizer::load(CtcModels::defaultCacheDirectory(ctcVariant));
    CustomVocabularyContext vocabulary;
    for (const auto& term : simple.terms) {
        const auto ids = tokenizer.encode(term.text());
        if (ids.empty()) continue;
        vocabulary.terms.emplace_back(term.text(), term.weight(), term.aliases(), std::nullopt,
                                      std::vector<std::int64_t>(ids.begin(), ids.end()));
    }
    return {std::move(vocabulary), std::move(models)};
}

} // namespace razeziruzer
