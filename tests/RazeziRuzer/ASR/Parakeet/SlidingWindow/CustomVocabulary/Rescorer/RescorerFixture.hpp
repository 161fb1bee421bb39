#pragma once
// A rescorer over a letter-level CTC model: the tokenizer maps a to z to ids
// 0 to 25 and the word-start mark to 26, the blank is 27. Frames are written
// from a script of letters ('_' is a blank frame): the scripted symbol gets
// log-probability -0.1, every other id -8.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/Rescorer/VocabularyRescorer.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include "Platform/CoreML/MLModel.hpp"
#include "Platform/CoreML/ScriptedModelBackend.hpp"

#include <nlohmann/json.hpp>

namespace rescorerfixture {

using namespace razeziruzer;

inline constexpr std::int64_t mark = 26;
inline constexpr std::int64_t blank = 27;
inline constexpr double frameDuration = 0.04;

inline CtcLogProbFrames frames(const std::string& script) {
    CtcLogProbFrames result;
    for (const char c : script) {
        std::vector<float> frame(blank + 1, -8.0f);
        const std::int64_t id = c == '_' ? blank : c == '^' ? mark : c - 'a';
        frame[static_cast<std::size_t>(id)] = -0.1f;
        result.push_back(frame);
    }
    return result;
}

inline std::vector<std::int64_t> letters(const std::string& text) {
    std::vector<std::int64_t> ids;
    for (const char c : text) ids.push_back(c - 'a');
    return ids;
}

inline CtcTokenizer tokenizer() {
    nlohmann::json vocab = nlohmann::json::object();
    for (char c = 'a'; c <= 'z'; ++c) vocab[std::string(1, c)] = c - 'a';
    vocab["\xE2\x96\x81"] = mark;
    const nlohmann::json json = {{"model", {{"type", "BPE"}, {"vocab", vocab}, {"merges", nlohmann::json::array()}}}};
    testsupport::TemporaryDirectory folder;
    folder.write("tokenizer.json", json.dump());
    return CtcTokenizer::load(folder.path());
}

// The spotter's models are never run by the rescorer.
inline CtcKeywordSpotter spotter() {
    using namespace platform::coreml;
    const auto idle = std::make_shared<ScriptedModelBackend>(MLModelDescription::make({}, {}),
                                                             std::vector<ScriptedModelBackend::Outputs>{});
    return CtcKeywordSpotter(CtcModels{MLModel(idle), MLModel(idle), CtcModels::defaultConfiguration(), {},
                                       CtcModelVariant::ctc110m},
                             blank);
}

inline CustomVocabularyTerm term(const std::string& text, std::optional<std::vector<std::string>> aliases = std::nullopt) {
    std::string lower;
    for (const char c : text) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    auto ids = letters(lower);
    ids.insert(ids.begin(), mark);
    return CustomVocabularyTerm(text, std::nullopt, std::move(aliases), std::nullopt, std::move(ids));
}

inline VocabularyRescorer rescorer(std::vector<CustomVocabularyTerm> terms, bool withTokenizer = true) {
    CustomVocabularyContext vocabulary;
    vocabulary.terms = std::move(terms);
    return VocabularyRescorer(spotter(), std::move(vocabulary),
                              withTokenizer ? std::optional(tokenizer()) : std::nullopt, {});
}

// Words of 0.4 s each, one after the other.
inline std::vector<RescorerWordTiming> words(const std::vector<std::string>& texts) {
    std::vector<RescorerWordTiming> timings;
    for (std::size_t i = 0; i < texts.size(); ++i) timings.push_back({texts[i], 0.4 * static_cast<double>(i), 0.4 * static_cast<double>(i + 1)});
    return timings;
}

} // namespace rescorerfixture
