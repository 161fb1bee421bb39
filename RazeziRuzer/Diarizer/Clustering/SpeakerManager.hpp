#pragma once
// The in-memory database of known speakers of the online diarizer: each
// embedding is matched to the closest stored speaker by cosine distance, which
// is then refined, or founds a new speaker with the next free numeric id.
// Known speakers can be seeded beforehand, the database reset, and records
// inserted or corrected one by one. A plain value; nothing throws.

#include "RazeziRuzer/Diarizer/Clustering/Speaker.hpp"
#include "RazeziRuzer/Diarizer/Clustering/SpeakerInitializationMode.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace razeziruzer {

class SpeakerManager {
public:
    static constexpr std::size_t embeddingSize = 256;

    SpeakerManager(float speakerThreshold, float embeddingThreshold, float minSpeechDuration,
                   float minEmbeddingUpdateDuration);

    // A copy of the matched or founded speaker; nothing for an embedding that
    // is not 256 values long, or too little speech to found a speaker.
    // confidence and newName take no part.
    std::optional<Speaker> assignSpeaker(std::span<const float> embedding, float speechDuration,
                                         float confidence = 1.0f, std::optional<float> speakerThreshold = std::nullopt,
                                         const std::optional<std::string>& newName = std::nullopt);

    void initializeKnownSpeakers(const std::vector<Speaker>& speakers,
                                 SpeakerInitializationMode mode = SpeakerInitializationMode::skip,
                                 bool preserveIfPermanent = true);
    void reset(bool keepIfPermanent = false);

    void upsertSpeaker(const Speaker& speaker);
    void upsertSpeaker(const std::string& id, const std::optional<std::string>& name,
                       const std::vector<float>& currentEmbedding, float duration,
                       const std::vector<RawEmbedding>& rawEmbeddings, std::int64_t updateCount,
                       std::optional<SpeakerTimestamp> createdAt, std::optional<SpeakerTimestamp> updatedAt,
                       bool isPermanent);

    // Queries; they change nothing. Thresholds default to speakerThreshold and
    // are inclusive here, unlike the assignment's strict test.
    struct Match {
        std::optional<std::string> id;
        float distance = 0;
    };
    struct MergeablePair {
        std::string speakerToMerge;
        std::string destination;
        bool operator==(const MergeablePair&) const = default;
    };
    struct GlobalStats {
        std::int64_t totalSpeakers = 0;
        float totalDuration = 0;
        float averageConfidence = 0;
        std::int64_t speakersWithHistory = 0;
    };
    using Predicate = std::function<bool(const Speaker&)>;

    Match findSpeaker(std::span<const float> embedding, std::optional<float> threshold = std::nullopt) const;
    // Sorted by distance, ascending.
    std::vector<std::pair<std::string, float>> findMatchingSpeakers(std::span<const float> embedding,
                                                                    std::optional<float> threshold = std::nullopt) const;
    std::vector<std::string> findSpeakers(const Predicate& predicate) const;
    bool hasSpeaker(const std::string& id) const { return speakerDatabase_.count(id) != 0; }
    std::int64_t speakerCount() const { return static_cast<std::int64_t>(speakerDatabase_.size()); }
    // Sorted by text: "10" comes before "2".
    std::vector<std::string> speakerIds() const;
    std::vector<std::string> getCurrentSpeakerNames() const { return speakerIds(); }
    std::vector<std::string> permanentSpeakerIds() const;
    std::map<std::string, Speaker> getAllSpeakers() const { return speakerDatabase_; }
    std::vector<Speaker> getSpeakerList() const;
    std::optional<Speaker> getSpeaker(const std::string& id) const;
    // A permanent record is never the one to merge away unless both are.
    std::vector<MergeablePair> findMergeablePairs(std::optional<float> threshold = std::nullopt,
                                                  bool excludeIfBothPermanent = true) const;
    GlobalStats getGlobalSpeakerStats() const;

    // Upkeep. Removals never lower the id counters.
    void makeSpeakerPermanent(const std::string& id);
    void revokePermanence(const std::string& id);
    void resetPermanentFlags();
    void mergeSpeaker(const std::string& source, const std::string& destination,
                      const std::optional<std::string>& mergedName = std::nullopt, bool stopIfPermanent = true);
    void removeSpeaker(const std::string& id, bool keepIfPermanent = true);
    void removeSpeakersInactive(SpeakerTimestamp since, bool keepIfPermanent = true);
    void removeSpeakersInactive(double seconds, bool keepIfPermanent = true);
    void removeSpeakers(const Predicate& predicate, bool keepIfPermanent = true);
    // Moves one raw embedding, unchanged, to the end of the other speaker's history.
    bool reassignSegment(const platform::Uuid& segmentId, const std::string& from, const std::string& to);

    const std::map<std::string, Speaker>& speakerDatabase() const { return speakerDatabase_; }
    std::int64_t nextSpeakerId() const { return nextSpeakerId_; }
    std::int64_t highestSpeakerId() const { return highestSpeakerId_; }

    float speakerThreshold;
    float embeddingThreshold;
    float minSpeechDuration;
    float minEmbeddingUpdateDuration;  // kept, not read

private:
    struct Closest {
        std::optional<std::string> speakerId;
        float distance = 0;
    };
    Closest findClosestSpeaker(std::span<const float> embedding) const;
    void updateExistingSpeaker(const std::string& speakerId, std::span<const float> embedding, float duration,
                               float distance);
    std::optional<Speaker> foundSpeaker(const std::vector<float>& embedding, float speechDuration, float distance);

    AppLogger logger_{"SpeakerManager"};
    std::map<std::string, Speaker> speakerDatabase_;
    std::int64_t nextSpeakerId_ = 1;
    std::int64_t highestSpeakerId_ = 0;
};

} // namespace razeziruzer
