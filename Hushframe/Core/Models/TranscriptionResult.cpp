#include "Hushframe/Core/Models/TranscriptionResult.hpp"

#include "Hushframe/Core/Models/JsonReading.hpp"
#include "PelluxCore/Logging.hpp"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <numeric>

namespace hushframe {

namespace {

std::string printf1(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// Shortest text that reads back as the same double, always with a fraction.
std::string shortestDouble(double value) {
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    std::string text(buffer, end);
    if (text.find_first_of(".eEin") == std::string::npos) text += ".0";
    return text;
}

std::string timingReport(const TranscriptionResult& result) {
    std::size_t totalTokens = 0;
    for (const auto& segment : result.segments()) totalTokens += segment.tokens.size();

    // Each value is its own locked read, as a report made mid-run would see it.
    const auto t = [&result](double TranscriptionTimings::*field) { return result.timings().*field; };
    using T = TranscriptionTimings;
    const double total = std::max(t(&T::decodingLoop), t(&T::fullPipeline)) * 1000;
    const auto f = [total](double time, double runs) {
        return pelluxcore::Logging::formatTimeWithPercentage(time, runs, total);
    };
    const auto seconds = [](double value) { return printf1("%.2f", value); };
    const double realTimeFactor = t(&T::fullPipeline) / t(&T::inputAudioSeconds);

    std::string text;
    text += "---- Transcription Timings ----\nAudio Load:          " + f(t(&T::audioLoading), 1);
    text += "\nAudio Processing:    " + f(t(&T::audioProcessing), t(&T::totalAudioProcessingRuns));
    text += "\nMels:                " + f(t(&T::logmels), t(&T::totalLogmelRuns));
    text += "\nEncoding:            " + f(t(&T::encoding), t(&T::totalEncodingRuns));
    text += "\nMatrices Init:       " + f(t(&T::decodingInit), 1);
    text += "\nDecoding:            " + f(t(&T::decodingPredictions), t(&T::totalDecodingLoops));
    text += "\nNon-inference:       " + f(t(&T::decodingNonPrediction), t(&T::totalDecodingLoops));
    text += "\n- Logit Filtering:   " + f(t(&T::decodingFiltering), t(&T::totalDecodingLoops));
    text += "\n- Sampling:          " + f(t(&T::decodingSampling), t(&T::totalDecodingLoops));
    text += "\n- Kv Caching:        " + f(t(&T::decodingKvCaching), t(&T::totalKVUpdateRuns));
    text += "\n- Word Timestamps:   " + f(t(&T::decodingWordTimestamps), t(&T::totalTimestampAlignmentRuns));
    text += "\n- Windowing:         " +
            f(t(&T::decodingWindowing) - t(&T::decodingWordTimestamps), t(&T::totalDecodingWindows));
    text += "\nFallbacks:           " + f(t(&T::decodingFallback), t(&T::totalDecodingFallbacks));
    text += "\nDecoding Full Loop:  " + f(t(&T::decodingLoop), t(&T::totalDecodingLoops));
    text += "\n-------------------------------\nModel Load Time:               " + seconds(t(&T::modelLoading));
    text += " seconds\n- Prewarm:                     " + seconds(t(&T::prewarmLoadTime));
    text += " seconds\n- Encoder:                     " + seconds(t(&T::encoderLoadTime));
    text += " seconds\n- Decoder:                     " + seconds(t(&T::decoderLoadTime));
    text += " seconds\n- Tokenizer:                   " + seconds(t(&T::tokenizerLoadTime));
    text += " seconds\nInference Duration (Global):   " + seconds(t(&T::fullPipeline));
    text += " seconds\n- Decoding Loop (Avg/window):  " +
            seconds(t(&T::decodingLoop) / t(&T::totalAudioProcessingRuns));
    text += " seconds\n- Audio Windows:               " + seconds(t(&T::totalAudioProcessingRuns));
    text += "\nTime to first token:           " + seconds(t(&T::firstTokenTime) - t(&T::pipelineStart));
    text += " seconds\nTotal Tokens:                  " + std::to_string(totalTokens);
    text += "\nTokens per Second:             " + seconds(t(&T::totalDecodingLoops) / t(&T::fullPipeline));
    text += " tok/s\nReal Time Factor:              " + printf1("%.3f", realTimeFactor);
    text += "\nSpeed Factor:                  " + printf1("%.3f", 1 / realTimeFactor);
    text += "\nFallbacks:                     " + shortestDouble(t(&T::totalDecodingFallbacks));
    return text;
}

} // namespace

TranscriptionResult::TranscriptionResult(std::string text, std::vector<TranscriptionSegment> segments,
                                         std::string language, TranscriptionTimings timings,
                                         std::optional<float> seekTime)
    : text_(std::move(text)),
      segments_(std::move(segments)),
      language_(std::move(language)),
      timings_(timings),
      seekTime_(std::nullopt) {
    seekTime_.setWrappedValue(seekTime);
}

TranscriptionResult::TranscriptionResult(const nlohmann::ordered_json& json)
    : TranscriptionResult(jsonfield::required<std::string>(json, "text"),
                          json.at("segments").get<std::vector<TranscriptionSegment>>(),
                          jsonfield::required<std::string>(json, "language"),
                          json.at("timings").get<TranscriptionTimings>(),
                          json.at("seekTime").is_null()
                              ? std::nullopt
                              : std::optional<float>(jsonfield::readValue<float>("seekTime", json.at("seekTime")))) {}

std::vector<WordTiming> TranscriptionResult::allWords() const {
    std::vector<WordTiming> words;
    for (const auto& segment : segments()) {
        if (segment.words) words.insert(words.end(), segment.words->begin(), segment.words->end());
    }
    return words;
}

void TranscriptionResult::logSegments() const {
    const auto all = segments();
    for (std::size_t i = 0; i < all.size(); ++i) {
        pelluxcore::Logging::debug("[Segment " + std::to_string(i) + "] [" + printf1("%.2f", all[i].start) + " --> " +
                                   printf1("%.2f", all[i].end) + "] " + all[i].text);
    }
}

void TranscriptionResult::logTimings() const { pelluxcore::Logging::info(timingReport(*this)); }

void TranscriptionResult::encode(nlohmann::ordered_json& json) const {
    json = nlohmann::ordered_json::object();
    json["text"] = text_;
    json["segments"] = segments_;
    json["language"] = language_;
    json["timings"] = timings_;
    const auto seek = seekTime();
    json["seekTime"] = seek ? nlohmann::ordered_json(jsonfield::widened(*seek)) : nlohmann::ordered_json(nullptr);
}

void to_json(nlohmann::ordered_json& json, const TranscriptionResult& result) { result.encode(json); }

void to_json(nlohmann::ordered_json& json, const TranscriptionResultStruct& result) {
    json = nlohmann::ordered_json{{"text", result.text}, {"segments", result.segments}, {"language", result.language},
                                  {"timings", result.timings}};
    if (result.seekTime) json["seekTime"] = jsonfield::widened(*result.seekTime);
}

void from_json(const nlohmann::ordered_json& json, TranscriptionResultStruct& result) {
    result = TranscriptionResultStruct{jsonfield::required<std::string>(json, "text"),
                                       json.at("segments").get<std::vector<TranscriptionSegment>>(),
                                       jsonfield::required<std::string>(json, "language"),
                                       json.at("timings").get<TranscriptionTimings>(),
                                       jsonfield::optional<float>(json, "seekTime")};
}

} // namespace hushframe
