#pragma once
// Everything one transcription call asks of the decoder: task and language,
// temperature and its fallback ladder, decoding length, prompt and timestamp
// handling, the thresholds that send a window back for another attempt, batch
// concurrency and the chunking of long audio. A plain value.

#include "Hushframe/Core/Configurations/ChunkingStrategy.hpp"
#include "Hushframe/Core/Configurations/DecodingTask.hpp"
#include "Hushframe/Core/Models/Constants.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace hushframe {

struct DecodingOptions {
    // The initialiser's arguments. Three differ from their fields: an absent
    // detectLanguage becomes !usePrefillPrompt, absent suppressTokens an empty
    // list, and an absent concurrentWorkerCount 16.
    struct Arguments {
        bool verbose = false;
        DecodingTask task = DecodingTask::transcribe;
        std::optional<std::string> language{};
        float temperature = 0.0F;
        float temperatureIncrementOnFallback = 0.2F;
        int temperatureFallbackCount = 5;
        int sampleLength = Constants::maxTokenContext;
        int topK = 5;
        bool usePrefillPrompt = true;
        std::optional<bool> detectLanguage{};
        bool skipSpecialTokens = false;
        bool withoutTimestamps = false;
        bool wordTimestamps = false;
        std::optional<float> maxInitialTimestamp{};
        std::optional<int> maxWindowSeek{};
        std::vector<float> clipTimestamps{};
        float windowClipTime = 1.0F;
        std::optional<std::vector<int>> promptTokens{};
        std::optional<std::vector<int>> prefixTokens{};
        bool suppressBlank = false;
        std::optional<std::vector<int>> suppressTokens{};
        std::optional<float> compressionRatioThreshold = 2.4F;
        std::optional<float> logProbThreshold = -1.0F;
        std::optional<float> firstTokenLogProbThreshold = -1.5F;
        std::optional<float> noSpeechThreshold = 0.6F;
        std::optional<int> concurrentWorkerCount{};
        std::optional<ChunkingStrategy> chunkingStrategy{};
    };

    DecodingOptions() : DecodingOptions(Arguments{}) {}
    explicit DecodingOptions(const Arguments& arguments);

    bool verbose;
    DecodingTask task;
    std::optional<std::string> language;
    float temperature;
    float temperatureIncrementOnFallback;
    int temperatureFallbackCount;
    int sampleLength;
    int topK;
    bool usePrefillPrompt;
    bool detectLanguage;
    bool skipSpecialTokens;
    bool withoutTimestamps;
    bool wordTimestamps;
    std::optional<float> maxInitialTimestamp;
    std::optional<int> maxWindowSeek;
    std::vector<float> clipTimestamps;
    float windowClipTime;
    std::optional<std::vector<int>> promptTokens;
    std::optional<std::vector<int>> prefixTokens;
    bool suppressBlank;
    std::vector<int> suppressTokens;
    std::optional<float> compressionRatioThreshold;
    std::optional<float> logProbThreshold;
    std::optional<float> firstTokenLogProbThreshold;
    std::optional<float> noSpeechThreshold;
    int concurrentWorkerCount;
    std::optional<ChunkingStrategy> chunkingStrategy;

    // Sample ranges (start, end) at 16 kHz from clipTimestamps read as
    // alternating start and end seconds, each rounded half away from zero; no
    // timestamps give (0, contentFrames) and an odd count is closed with
    // contentFrames. Nothing is sorted, clamped or checked.
    std::vector<std::pair<std::int64_t, std::int64_t>> prepareSeekClips(std::int64_t contentFrames) const;

    bool operator==(const DecodingOptions&) const = default;
};

// Keys are the field names, written in field order; absent optionals are
// left out. Reading needs
// every other field with its exact type, reads fields as stored (no
// initialiser rules, no defaults for missing thresholds) and ignores other keys.
void to_json(nlohmann::ordered_json& json, const DecodingOptions& options);
void from_json(const nlohmann::ordered_json& json, DecodingOptions& options);

} // namespace hushframe
