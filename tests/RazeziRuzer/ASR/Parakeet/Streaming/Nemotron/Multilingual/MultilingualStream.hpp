#pragma once
// Runs a scripted stream through the multilingual recogniser and gathers what
// it reports, so path and chunking tables compare whole outcomes.

#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/StreamingNemotronMultilingualAsrManager.hpp"
#include "tests/RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/Multilingual/ScriptedMultilingualKit.hpp"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace razeziruzer::multilingualkit {

// An environment of exactly these variables.
EnvironmentLookup fixedEnvironment(std::map<std::string, std::string> variables = {});
// A recogniser that may load (the neural-engine check passes) and reads only `variables`.
StreamingNemotronMultilingualAsrManager::Dependencies testDependencies(std::map<std::string, std::string> variables = {});

// Pseudo-random tokens for `frames` frames: mostly blanks, some words, a
// frame of ten tokens and a language tag, so every decode rule is exercised.
Script mixedScript(std::int64_t frames);

struct StreamOutcome {
    std::string text;
    std::vector<TokenTiming> timings;
    std::int64_t tokenCount = 0;
    std::optional<std::string> language;
    std::int64_t processedChunks = 0;
};

// What a right decode of the script gives: the text and timings of its tokens.
StreamOutcome expectedOutcome(const Script& script, std::int64_t processedChunks);

// Feeds `samples` loud samples in pieces of `piece`, then finishes.
StreamOutcome runStream(StreamingNemotronMultilingualAsrManager& manager, std::int64_t samples, std::int64_t piece);

} // namespace razeziruzer::multilingualkit
