#include "Hushframe/Core/Models/TranscriptionSegment.hpp"

#include "Hushframe/Core/Models/JsonReading.hpp"

#include <algorithm>
#include <charconv>

namespace hushframe {

namespace {

nlohmann::ordered_json tokenLogProbsJson(const std::vector<std::map<int, float>>& tokenLogProbs) {
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (const auto& map : tokenLogProbs) {
        nlohmann::ordered_json object = nlohmann::ordered_json::object();
        for (const auto& [token, logProb] : map) object[std::to_string(token)] = jsonfield::widened(logProb);
        array.push_back(std::move(object));
    }
    return array;
}

int tokenKey(const std::string& key, const nlohmann::ordered_json& object) {
    int token = 0;
    const auto [end, error] = std::from_chars(key.data(), key.data() + key.size(), token);
    if (error != std::errc{} || end != key.data() + key.size()) {
        jsonfield::throwTypeMismatch("tokenLogProbs", "keyed by token ids", object);
    }
    return token;
}

std::vector<std::map<int, float>> readTokenLogProbs(const nlohmann::ordered_json& array) {
    if (!array.is_array()) jsonfield::throwTypeMismatch("tokenLogProbs", "an array", array);
    std::vector<std::map<int, float>> maps;
    for (const auto& object : array) {
        if (!object.is_object()) jsonfield::throwTypeMismatch("tokenLogProbs", "an array of objects", object);
        std::map<int, float> map;
        for (const auto& [key, value] : object.items()) {
            map[tokenKey(key, object)] = jsonfield::readValue<float>("tokenLogProbs", value);
        }
        maps.push_back(std::move(map));
    }
    return maps;
}

} // namespace

bool contains(std::span<const TranscriptionSegment> segments, const TranscriptionSegment& segment) {
    return std::ranges::any_of(segments, [&](const TranscriptionSegment& s) { return s.start == segment.start; });
}

void to_json(nlohmann::ordered_json& json, const WordTiming& timing) {
    json = nlohmann::ordered_json{{"word", timing.word},
                                  {"tokens", timing.tokens},
                                  {"start", jsonfield::widened(timing.start)},
                                  {"end", jsonfield::widened(timing.end)},
                                  {"probability", jsonfield::widened(timing.probability)}};
}

void from_json(const nlohmann::ordered_json& json, WordTiming& timing) {
    using namespace jsonfield;
    timing = WordTiming{required<std::string>(json, "word"), requiredArray<int>(json, "tokens"),
                        required<float>(json, "start"), required<float>(json, "end"),
                        required<float>(json, "probability")};
}

void to_json(nlohmann::ordered_json& json, const TranscriptionSegment& segment) {
    json = nlohmann::ordered_json{
        {"id", segment.id},
        {"seek", segment.seek},
        {"start", jsonfield::widened(segment.start)},
        {"end", jsonfield::widened(segment.end)},
        {"text", segment.text},
        {"tokens", segment.tokens},
        {"tokenLogProbs", tokenLogProbsJson(segment.tokenLogProbs)},
        {"temperature", jsonfield::widened(segment.temperature)},
        {"avgLogprob", jsonfield::widened(segment.avgLogprob)},
        {"compressionRatio", jsonfield::widened(segment.compressionRatio)},
        {"noSpeechProb", jsonfield::widened(segment.noSpeechProb)},
    };
    if (segment.words) json["words"] = *segment.words;
}

void from_json(const nlohmann::ordered_json& json, TranscriptionSegment& segment) {
    using namespace jsonfield;
    TranscriptionSegment read;
    read.id = required<std::int64_t>(json, "id");
    read.seek = required<std::int64_t>(json, "seek");
    read.start = required<float>(json, "start");
    read.end = required<float>(json, "end");
    read.text = required<std::string>(json, "text");
    read.tokens = requiredArray<int>(json, "tokens");
    read.tokenLogProbs = readTokenLogProbs(json.at("tokenLogProbs"));
    read.temperature = required<float>(json, "temperature");
    read.avgLogprob = required<float>(json, "avgLogprob");
    read.compressionRatio = required<float>(json, "compressionRatio");
    read.noSpeechProb = required<float>(json, "noSpeechProb");
    if (const auto words = json.find("words"); words != json.end() && !words->is_null()) {
        read.words = words->get<std::vector<WordTiming>>();
    }
    segment = std::move(read);
}

} // namespace hushframe
