#include "Hushframe/Core/Configurations/DecodingOptions.hpp"

#include "Hushframe/Core/Models/JsonReading.hpp"

#include <cmath>

namespace hushframe {

DecodingOptions::DecodingOptions(const Arguments& arguments)
    : verbose(arguments.verbose),
      task(arguments.task),
      language(arguments.language),
      temperature(arguments.temperature),
      temperatureIncrementOnFallback(arguments.temperatureIncrementOnFallback),
      temperatureFallbackCount(arguments.temperatureFallbackCount),
      sampleLength(arguments.sampleLength),
      topK(arguments.topK),
      usePrefillPrompt(arguments.usePrefillPrompt),
      detectLanguage(arguments.detectLanguage.value_or(!arguments.usePrefillPrompt)),
      skipSpecialTokens(arguments.skipSpecialTokens),
      withoutTimestamps(arguments.withoutTimestamps),
      wordTimestamps(arguments.wordTimestamps),
      maxInitialTimestamp(arguments.maxInitialTimestamp),
      maxWindowSeek(arguments.maxWindowSeek),
      clipTimestamps(arguments.clipTimestamps),
      windowClipTime(arguments.windowClipTime),
      promptTokens(arguments.promptTokens),
      prefixTokens(arguments.prefixTokens),
      suppressBlank(arguments.suppressBlank),
      suppressTokens(arguments.suppressTokens.value_or(std::vector<int>{})),
      compressionRatioThreshold(arguments.compressionRatioThreshold),
      logProbThreshold(arguments.logProbThreshold),
      firstTokenLogProbThreshold(arguments.firstTokenLogProbThreshold),
      noSpeechThreshold(arguments.noSpeechThreshold),
      concurrentWorkerCount(arguments.concurrentWorkerCount.value_or(16)),
      chunkingStrategy(arguments.chunkingStrategy) {}

namespace {

template <typename T>
void putOptional(nlohmann::ordered_json& json, const char* key, const std::optional<T>& value) {
    if (!value) return;
    if constexpr (std::is_same_v<T, float>) {
        json[key] = jsonfield::widened(*value);
    } else {
        json[key] = *value;
    }
}

} // namespace

void to_json(nlohmann::ordered_json& json, const DecodingOptions& options) {
    json = nlohmann::ordered_json::object();
    json["verbose"] = options.verbose;
    json["task"] = options.task;
    putOptional(json, "language", options.language);
    json["temperature"] = jsonfield::widened(options.temperature);
    json["temperatureIncrementOnFallback"] = jsonfield::widened(options.temperatureIncrementOnFallback);
    json["temperatureFallbackCount"] = options.temperatureFallbackCount;
    json["sampleLength"] = options.sampleLength;
    json["topK"] = options.topK;
    json["usePrefillPrompt"] = options.usePrefillPrompt;
    json["detectLanguage"] = options.detectLanguage;
    json["skipSpecialTokens"] = options.skipSpecialTokens;
    json["withoutTimestamps"] = options.withoutTimestamps;
    json["wordTimestamps"] = options.wordTimestamps;
    putOptional(json, "maxInitialTimestamp", options.maxInitialTimestamp);
    putOptional(json, "maxWindowSeek", options.maxWindowSeek);
    json["clipTimestamps"] = jsonfield::widened(options.clipTimestamps);
    json["windowClipTime"] = jsonfield::widened(options.windowClipTime);
    putOptional(json, "promptTokens", options.promptTokens);
    putOptional(json, "prefixTokens", options.prefixTokens);
    json["suppressBlank"] = options.suppressBlank;
    json["suppressTokens"] = options.suppressTokens;
    putOptional(json, "compressionRatioThreshold", options.compressionRatioThreshold);
    putOptional(json, "logProbThreshold", options.logProbThreshold);
    putOptional(json, "firstTokenLogProbThreshold", options.firstTokenLogProbThreshold);
    putOptional(json, "noSpeechThreshold", options.noSpeechThreshold);
    json["concurrentWorkerCount"] = options.concurrentWorkerCount;
    putOptional(json, "chunkingStrategy", options.chunkingStrategy);
}

void from_json(const nlohmann::ordered_json& json, DecodingOptions& options) {
    using namespace jsonfield;
    DecodingOptions read;
    read.verbose = required<bool>(json, "verbose");
    read.task = json.at("task").get<DecodingTask>();
    read.language = optional<std::string>(json, "language");
    read.temperature = required<float>(json, "temperature");
    read.temperatureIncrementOnFallback = required<float>(json, "temperatureIncrementOnFallback");
    read.temperatureFallbackCount = required<int>(json, "temperatureFallbackCount");
    read.sampleLength = required<int>(json, "sampleLength");
    read.topK = required<int>(json, "topK");
    read.usePrefillPrompt = required<bool>(json, "usePrefillPrompt");
    read.detectLanguage = required<bool>(json, "detectLanguage");
    read.skipSpecialTokens = required<bool>(json, "skipSpecialTokens");
    read.withoutTimestamps = required<bool>(json, "withoutTimestamps");
    read.wordTimestamps = required<bool>(json, "wordTimestamps");
    read.maxInitialTimestamp = optional<float>(json, "maxInitialTimestamp");
    read.maxWindowSeek = optional<int>(json, "maxWindowSeek");
    read.clipTimestamps = requiredArray<float>(json, "clipTimestamps");
    read.windowClipTime = required<float>(json, "windowClipTime");
    read.promptTokens = optionalArray<int>(json, "promptTokens");
    read.prefixTokens = optionalArray<int>(json, "prefixTokens");
    read.suppressBlank = required<bool>(json, "suppressBlank");
    read.suppressTokens = requiredArray<int>(json, "suppressTokens");
    read.compressionRatioThreshold = optional<float>(json, "compressionRatioThreshold");
    read.logProbThreshold = optional<float>(json, "logProbThreshold");
    read.firstTokenLogProbThreshold = optional<float>(json, "firstTokenLogProbThreshold");
    read.noSpeechThreshold = optional<float>(json, "noSpeechThreshold");
    read.concurrentWorkerCount = required<int>(json, "concurrentWorkerCount");
    if (const auto strategy = json.find("chunkingStrategy"); strategy != json.end() && !strategy->is_null()) {
        read.chunkingStrategy = strategy->get<ChunkingStrategy>();
    }
    options = std::move(read);
}

std::vector<std::pair<std::int64_t, std::int64_t>> DecodingOptions::prepareSeekClips(std::int64_t contentFrames) const {
    std::vector<std::int64_t> points;
    points.reserve(clipTimestamps.size() + 1);
    for (const float seconds : clipTimestamps) {
        points.push_back(static_cast<std::int64_t>(std::round(seconds * 16000.0F)));
    }
    if (points.empty()) points.push_back(0);
    if (points.size() % 2 == 1) points.push_back(contentFrames);
    std::vector<std::pair<std::int64_t, std::int64_t>> clips;
    for (std::size_t i = 0; i + 1 < points.size(); i += 2) clips.emplace_back(points[i], points[i + 1]);
    return clips;
}

} // namespace hushframe
