#include "RazeziRuzer/Diarizer/Clustering/Speaker.hpp"

#include "Platform/Accel/VectorOps.hpp"
#include "RazeziRuzer/Diarizer/Clustering/SendableSpeaker.hpp"
#include "RazeziRuzer/Diarizer/Offline/Utils/VDSPOperations.hpp"

#include <algorithm>

namespace razeziruzer {

bool isUsableEmbedding(std::span<const float> embedding) {
    return platform::accel::sumOfSquares(embedding) > 0.01f;
}

Speaker::Speaker(std::optional<std::string> id, std::optional<std::string> name,
                 std::span<const float> currentEmbedding, float duration, std::optional<SpeakerTimestamp> createdAt,
                 std::optional<SpeakerTimestamp> updatedAt, bool isPermanent)
    : id(id ? std::move(*id) : platform::Uuid().toString()), name(name ? std::move(*name) : this->id),
      currentEmbedding(VDSPOperations::l2Normalize(currentEmbedding)), duration(duration),
      isPermanent(isPermanent) {
    const auto now = std::chrono::system_clock::now();
    this->createdAt = createdAt.value_or(now);
    this->updatedAt = updatedAt.value_or(now);
}

void Speaker::addRawEmbedding(const RawEmbedding& raw) {
    if (!isUsableEmbedding(raw.embedding)) return;
    if (rawEmbeddings.size() >= maxRawEmbeddings) rawEmbeddings.erase(rawEmbeddings.begin());
    rawEmbeddings.push_back(raw);
    recalculateMainEmbedding();
}

void Speaker::recalculateMainEmbedding() {
    if (rawEmbeddings.empty()) return;
    const auto dimension = rawEmbeddings.front().embedding.size();
    if (dimension == 0) return;
    std::vector<float> sum(dimension, 0.0f);
    int count = 0;
    for (const auto& raw : rawEmbeddings) {
        if (raw.embedding.size() != dimension) continue;
        for (std::size_t i = 0; i < dimension; ++i) sum[i] += raw.embedding[i];
        ++count;
    }
    if (count == 0) return;
    for (auto& value : sum) value /= static_cast<float>(count);
    currentEmbedding = VDSPOperations::l2Normalize(sum);
    updatedAt = std::chrono::system_clock::now();
}

void Speaker::updateMainEmbedding(float addedDuration, std::span<const float> embedding, platform::Uuid segmentId,
                                  float alpha) {
    if (!isUsableEmbedding(embedding)) return;
    const auto unit = VDSPOperations::l2Normalize(embedding);
    addRawEmbedding(RawEmbedding(segmentId, unit, std::chrono::system_clock::now()));
    if (currentEmbedding.size() == unit.size()) {
        std::vector<float> blended(unit.size());
        for (std::size_t i = 0; i < unit.size(); ++i) {
            blended[i] = unit[i] * (1 - alpha) + currentEmbedding[i] * alpha;
        }
        currentEmbedding = VDSPOperations::l2Normalize(blended);
    }
    duration += addedDuration;
    updatedAt = std::chrono::system_clock::now();
    ++updateCount;
}

void Speaker::mergeWith(const Speaker& other, std::optional<std::string> keepName) {
    rawEmbeddings.insert(rawEmbeddings.end(), other.rawEmbeddings.begin(), other.rawEmbeddings.end());
    if (rawEmbeddings.size() > maxRawEmbeddings) {
        // Keep the newest entries, oldest first, so that the next addition
        // evicts the oldest one rather than the newest.
        std::stable_sort(rawEmbeddings.begin(), rawEmbeddings.end(),
                         [](const RawEmbedding& a, const RawEmbedding& b) { return a.timestamp < b.timestamp; });
        rawEmbeddings.erase(rawEmbeddings.begin(),
                            rawEmbeddings.begin() + static_cast<std::ptrdiff_t>(rawEmbeddings.size() - maxRawEmbeddings));
    }
    duration += other.duration;
    if (keepName) name = std::move(*keepName);
    recalculateMainEmbedding();
    updatedAt = std::chrono::system_clock::now();
    updateCount += other.updateCount;
}

std::optional<RawEmbedding> Speaker::removeRawEmbedding(const platform::Uuid& segmentId) {
    const auto found = std::find_if(rawEmbeddings.begin(), rawEmbeddings.end(),
                                    [&](const RawEmbedding& raw) { return raw.segmentId == segmentId; });
    if (found == rawEmbeddings.end()) return std::nullopt;
    auto removed = *found;
    rawEmbeddings.erase(found);
    recalculateMainEmbedding();
    return removed;
}

SendableSpeaker Speaker::toSendable() const { return SendableSpeaker(*this); }

nlohmann::ordered_json Speaker::toJSON() const {
    nlohmann::ordered_json json;
    json["id"] = id;
    json["name"] = name;
    json["currentEmbedding"] = currentEmbedding;
    json["duration"] = duration;
    json["createdAt"] = timestampSeconds(createdAt);
    json["updatedAt"] = timestampSeconds(updatedAt);
    json["updateCount"] = updateCount;
    auto history = nlohmann::ordered_json::array();
    for (const auto& raw : rawEmbeddings) history.push_back(raw.toJSON());
    json["rawEmbeddings"] = std::move(history);
    json["isPermanent"] = isPermanent;
    return json;
}

Speaker Speaker::fromJSON(const nlohmann::ordered_json& json) {
    Speaker speaker(json.at("id").get<std::string>(), json.at("name").get<std::string>(), {});
    speaker.currentEmbedding = json.at("currentEmbedding").get<std::vector<float>>();
    speaker.duration = json.at("duration").get<float>();
    speaker.createdAt = timestampFromSeconds(json.at("createdAt").get<double>());
    speaker.updatedAt = timestampFromSeconds(json.at("updatedAt").get<double>());
    speaker.updateCount = json.at("updateCount").get<std::int64_t>();
    for (const auto& raw : json.at("rawEmbeddings")) speaker.rawEmbeddings.push_back(RawEmbedding::fromJSON(raw));
    speaker.isPermanent = json.at("isPermanent").get<bool>();
    return speaker;
}

} // namespace razeziruzer
