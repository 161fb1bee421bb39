#pragma once
// The fixed facts of one multilingual Nemotron streaming variant (chunk and
// mel geometry, vocabulary and blank, encoder and decoder sizes, cache shapes,
// language prompts and language-tag tokens), read from its "metadata.json".

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace razeziruzer {

struct NemotronMultilingualStreamingConfig {
    std::int64_t chunkMelFrames = 112;
    std::int64_t sampleRate = 16000;
    std::int64_t melFeatures = 128;
    std::int64_t chunkMs = 1120;
    std::int64_t preEncodeCache = 9;
    std::int64_t totalMelFrames = 121;
    std::int64_t vocabSize = 13087;
    std::int64_t blankIdx = 13087;
    std::int64_t encoderDim = 1024;
    std::int64_t decoderHidden = 640;
    std::int64_t decoderLayers = 2;
    std::vector<std::int64_t> cacheChannelShape{1, 24, 56, 1024};
    std::vector<std::int64_t> cacheTimeShape{1, 24, 1024, 8};
    std::int64_t numPrompts = 128;
    std::int64_t defaultPromptId = 101;
    std::map<std::string, std::int64_t> promptDictionary{{"auto", 101}};
    std::set<std::int64_t> langTagTokenIds;

    NemotronMultilingualStreamingConfig() = default;

    // Every key is optional; a key holding a value of the wrong kind keeps
    // its fallback. Read and parse errors pass through; a top level other
    // than an object, or a chunk length whose derived sizes overflow, is
    // ASRError.processingFailed.
    static NemotronMultilingualStreamingConfig from(const std::filesystem::path& url);

    std::int64_t chunkSamples() const { return chunkMelFrames * 160; }

    // Exact code, then "_" made "-", then language-REGION, then the language
    // alone; defaultPromptId when nothing matches.
    std::int64_t promptId(const std::optional<std::string>& forLanguage) const;

    bool operator==(const NemotronMultilingualStreamingConfig&) const = default;
};

} // namespace razeziruzer
