#pragma once
// Turns spoken-form transcripts into written form through the optional native
// normalisation library, found by its C symbols among the code already loaded
// into the process. Without the library every operation returns its input.

#include "Platform/Core/Logger.hpp"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace razeziruzer {

class TextNormalizer {
public:
    // Finds a C symbol by name; null when absent.
    using SymbolLookup = std::function<void*(const char* symbol)>;

    static TextNormalizer& shared();

    // Looks the library up in the process's global symbol scope.
    TextNormalizer();
    // Looks the library up through the given lookup.
    explicit TextNormalizer(const SymbolLookup& lookup);
    TextNormalizer(const TextNormalizer&) = delete;
    TextNormalizer& operator=(const TextNormalizer&) = delete;

    bool isNativeAvailable() const { return isNativeAvailable_; }

    std::string normalize(std::string_view text) const;
    std::string normalizeSentence(std::string_view text) const;
    std::string normalizeSentence(std::string_view text, std::uint32_t maxSpanTokens) const;

    // A recognition result with its text sentence-normalised; returned unchanged
    // when the text stays the same, else without performance metrics.
    template <typename Result>
        requires requires(Result result) {
            result.text;
            result.performanceMetrics;
        }
    Result normalize(const Result& result) const {
        auto text = isNativeAvailable_ ? normalizeSentence(result.text) : std::string(result.text);
        if (text == result.text) return result;
        Result changed = result;
        changed.text = std::move(text);
        changed.performanceMetrics.reset();
        return changed;
    }

    void addRule(std::string_view spoken, std::string_view written) const;
    bool removeRule(std::string_view spoken) const;
    void clearRules() const;
    std::int64_t ruleCount() const;
    std::optional<std::string> version() const;

private:
    using NormalizeFunction = char* (*)(const char*);
    using NormalizeMaxSpanFunction = char* (*)(const char*, std::uint32_t);
    using FreeStringFunction = void (*)(char*);
    using AddRuleFunction = void (*)(const char*, const char*);
    using RemoveRuleFunction = std::int32_t (*)(const char*);
    using ClearRulesFunction = void (*)();
    using RuleCountFunction = std::uint32_t (*)();
    using VersionFunction = const char* (*)();

    // The text the native call produced, or `input` when it produced nothing.
    std::string callOwned(NormalizeFunction function, const std::string& input) const;
    std::string sentenceCall(const std::string& screened) const;

    platform::Logger logger;
    bool isNativeAvailable_ = false;
    NormalizeFunction nemoNormalize = nullptr;
    NormalizeFunction nemoNormalizeSentence = nullptr;
    NormalizeMaxSpanFunction nemoNormalizeSentenceMaxSpan = nullptr;
    FreeStringFunction nemoFreeString = nullptr;
    AddRuleFunction nemoAddRule = nullptr;
    RemoveRuleFunction nemoRemoveRule = nullptr;
    ClearRulesFunction nemoClearRules = nullptr;
    RuleCountFunction nemoRuleCount = nullptr;
    VersionFunction nemoVersion = nullptr;
};

} // namespace razeziruzer
