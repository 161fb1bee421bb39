#include "tests/RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/Multilingual/MultilingualStream.hpp"

#include <algorithm>

namespace razeziruzer::multilingualkit {

EnvironmentLookup fixedEnvironment(std::map<std::string, std::string> variables) {
    return [variables = std::move(variables)](const std::string& name) -> std::optional<std::string> {
        const auto found = variables.find(name);
        return found == variables.end() ? std::nullopt : std::optional(found->second);
    };
}

StreamingNemotronMultilingualAsrManager::Dependencies testDependencies(std::map<std::string, std::string> variables) {
    StreamingNemotronMultilingualAsrManager::Dependencies dependencies;
    dependencies.environment = fixedEnvironment(std::move(variables));
    dependencies.neuralEngineCheck = [] { return true; };
    return dependencies;
}

Script mixedScript(std::int64_t frames) {
    Script script;
    std::uint32_t seed = 11;
    for (std::int64_t g = 0; g < frames; ++g) {
        seed = seed * 1664525u + 1013904223u;
        const auto roll = (seed >> 16) % 10;
        std::vector<int> tokens;
        const int count = g == 3 ? 10 : roll < 6 ? 0 : roll < 8 ? 1 : roll < 9 ? 2 : 3;
        for (int i = 0; i < count; ++i) tokens.push_back(static_cast<int>((seed >> 8) + 7 * i) % wordCount);
        if (g == 5) tokens = {englishTag, 4};
        if (g == 9) tokens = {germanTag};
        script.tokensPerFrame.push_back(tokens);
    }
    return script;
}

StreamOutcome expectedOutcome(const Script& script, std::int64_t processedChunks) {
    StreamOutcome outcome;
    outcome.processedChunks = processedChunks;
    for (std::size_t g = 0; g < script.tokensPerFrame.size(); ++g) {
        for (const int token : script.tokensPerFrame[g]) {
            outcome.tokenCount += 1;
            if (token >= wordCount) {
                if (!outcome.language) outcome.language = token == englishTag ? "en" : token == germanTag ? "de" : "auto";
                continue;
            }
            const auto word = "w" + std::to_string(token);
            outcome.text += (outcome.text.empty() ? "" : " ") + word;
            const double start = static_cast<double>(g) * 0.08;
            outcome.timings.push_back({"\u2581" + word, token, start, start + 0.08, 1.0f});
        }
    }
    return outcome;
}

StreamOutcome runStream(StreamingNemotronMultilingualAsrManager& manager, std::int64_t samples, std::int64_t piece) {
    const std::vector<float> audio(static_cast<std::size_t>(samples), 0.25f);
    for (std::int64_t start = 0; start < samples; start += piece) {
        const auto count = std::min(piece, samples - start);
        manager.process(std::span<const float>(audio).subspan(static_cast<std::size_t>(start), static_cast<std::size_t>(count)));
    }
    StreamOutcome outcome;
    std::tie(outcome.text, outcome.timings) = manager.finishWithTokenTimings();
    const auto stats = manager.lastDecodeStats();
    outcome.tokenCount = stats.tokenCount;
    outcome.language = stats.detectedLanguage;
    outcome.processedChunks = stats.processedChunks;
    return outcome;
}

} // namespace razeziruzer::multilingualkit
