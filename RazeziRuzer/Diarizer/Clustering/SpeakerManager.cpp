#include "RazeziRuzer/Diarizer/Clustering/SpeakerManager.hpp"

#include "RazeziRuzer/Diarizer/Clustering/SendableSpeaker.hpp"
#include "RazeziRuzer/Diarizer/Clustering/SpeakerUtilities.hpp"
#include "RazeziRuzer/Diarizer/Offline/Utils/VDSPOperations.hpp"

#include <algorithm>
#include <limits>

namespace razeziruzer {
namespace {

using SpeakerUtilities::formatFloat;

constexpr std::int64_t largestId = std::numeric_limits<std::int64_t>::max();

std::string formatDistance(float distance) { return std::isinf(distance) ? "inf" : formatFloat(distance); }

// The successor of a numeric id, saturating at the largest one.
std::int64_t successor(std::int64_t id) { return id == largestId ? largestId : id + 1; }

} // namespace

SpeakerManager::SpeakerManager(float speakerThreshold, float embeddingThreshold, float minSpeechDuration,
                               float minEmbeddingUpdateDuration)
    : speakerThreshold(speakerThreshold), embeddingThreshold(embeddingThreshold),
      minSpeechDuration(minSpeechDuration), minEmbeddingUpdateDuration(minEmbeddingUpdateDuration) {}

std::optional<Speaker> SpeakerManager::assignSpeaker(std::span<const float> embedding, float speechDuration, float,
                                                     std::optional<float> threshold,
                                                     const std::optional<std::string>&) {
    if (embedding.size() != embeddingSize) {
        logger_.error("Invalid embedding size: " + std::to_string(embedding.size()));
        return std::nullopt;
    }
    const auto unit = VDSPOperations::l2Normalize(embedding);
    const auto closest = findClosestSpeaker(unit);
    if (closest.speakerId && closest.distance < threshold.value_or(speakerThreshold)) {
        updateExistingSpeaker(*closest.speakerId, unit, speechDuration, closest.distance);
        const auto found = speakerDatabase_.find(*closest.speakerId);
        if (found == speakerDatabase_.end()) return std::nullopt;
        return found->second;
    }
    if (speechDuration >= minSpeechDuration) return foundSpeaker(unit, speechDuration, closest.distance);
    logger_.debug("Audio segment too short (" + formatFloat(speechDuration) + "s) to create new speaker");
    return std::nullopt;
}

std::optional<Speaker> SpeakerManager::foundSpeaker(const std::vector<float>& embedding, float speechDuration,
                                                    float distance) {
    // Seeding can leave the next id on one that is already stored; a new
    // speaker never takes over a stored record.
    while (speakerDatabase_.count(std::to_string(nextSpeakerId_)) != 0) {
        if (nextSpeakerId_ == largestId) {
            logger_.error("No free speaker id left");
            return std::nullopt;
        }
        ++nextSpeakerId_;
    }
    const auto number = nextSpeakerId_;
    const auto id = std::to_string(number);
    nextSpeakerId_ = successor(number);
    highestSpeakerId_ = std::max(highestSpeakerId_, number);
    Speaker speaker(id, "Speaker " + id, embedding, speechDuration);
    speaker.addRawEmbedding(RawEmbedding(platform::Uuid(), embedding, std::chrono::system_clock::now()));
    const auto stored = speakerDatabase_.insert_or_assign(id, std::move(speaker)).first;
    logger_.info("Created new speaker " + id + " (distance to closest: " + formatDistance(distance) + ")");
    return stored->second;
}

SpeakerManager::Closest SpeakerManager::findClosestSpeaker(std::span<const float> embedding) const {
    Closest closest{std::nullopt, std::numeric_limits<float>::infinity()};
    for (const auto& [id, speaker] : speakerDatabase_) {
        const float distance = SpeakerUtilities::cosineDistance(embedding, speaker.currentEmbedding);
        if (distance < closest.distance) closest = {id, distance};
    }
    return closest;
}

void SpeakerManager::updateExistingSpeaker(const std::string& speakerId, std::span<const float> embedding,
                                           float duration, float distance) {
    const auto found = speakerDatabase_.find(speakerId);
    if (found == speakerDatabase_.end()) {
        logger_.error("Speaker " + speakerId + " not found in database");
        return;
    }
    auto& speaker = found->second;
    if (distance < embeddingThreshold) {
        if (isUsableEmbedding(embedding)) speaker.updateMainEmbedding(duration, embedding, platform::Uuid(), 0.9f);
        return;
    }
    speaker.duration += duration;
    speaker.updatedAt = std::chrono::system_clock::now();
}

void SpeakerManager::initializeKnownSpeakers(const std::vector<Speaker>& speakers, SpeakerInitializationMode mode,
                                             bool preserveIfPermanent) {
    using Mode = SpeakerInitializationMode;
    if (mode == Mode::reset) reset(preserveIfPermanent);
    std::int64_t highest = 0;
    for (const auto& incoming : speakers) {
        if (incoming.currentEmbedding.size() != embeddingSize) {
            logger_.warning("Skipping speaker " + incoming.id + " - invalid embedding size: " +
                            std::to_string(incoming.currentEmbedding.size()));
            continue;
        }
        const auto stored = speakerDatabase_.find(incoming.id);
        if (stored == speakerDatabase_.end()) {
            speakerDatabase_.emplace(incoming.id, incoming);
        } else {
            const bool protectedRecord = stored->second.isPermanent && preserveIfPermanent;
            if (mode == Mode::skip) {
                logger_.warning("Speaker " + incoming.id + " is already initialized. Skipping new speaker.");
                continue;
            }
            if (mode == Mode::merge) {
                if (protectedRecord) {
                    logger_.warning("Failed to merge Speaker " + incoming.id + " into Speaker " + stored->first +
                                    " because the existing speaker is permanent. Skipping");
                    continue;
                }
                logger_.warning("Speaker " + incoming.id + " is already initialized. Merging with old speaker.");
                stored->second.mergeWith(incoming, incoming.name);
            } else {
                if (protectedRecord) {
                    logger_.warning("Failed to overwrite Speaker " + incoming.id + " because it is permanent. Skipping");
                    continue;
                }
                logger_.warning("Speaker " + incoming.id + " is already initialized. Overwriting old speaker.");
                stored->second = incoming;
            }
        }
        if (const auto number = decimalSpeakerId(incoming.id)) highest = std::max(highest, *number);
        logger_.info("Initialized known speaker: " + incoming.id + " with " +
                     std::to_string(incoming.rawEmbeddings.size()) + " raw embeddings");
    }
    highestSpeakerId_ = highest;
    nextSpeakerId_ = successor(highest);
    logger_.info("Initialized with " + std::to_string(speakerDatabase_.size()) +
                 " known speakers, next ID will be: " + std::to_string(nextSpeakerId_));
}

void SpeakerManager::reset(bool keepIfPermanent) {
    if (keepIfPermanent) {
        std::erase_if(speakerDatabase_, [](const auto& entry) { return !entry.second.isPermanent; });
        std::int64_t highest = 0;
        for (const auto& [id, speaker] : speakerDatabase_) {
            if (const auto number = decimalSpeakerId(id)) highest = std::max(highest, *number);
        }
        highestSpeakerId_ = highest;
        nextSpeakerId_ = successor(highest);
    } else {
        speakerDatabase_.clear();
        nextSpeakerId_ = 1;
        highestSpeakerId_ = 0;
    }
    logger_.info("Speaker database reset");
}

void SpeakerManager::upsertSpeaker(const Speaker& speaker) {
    upsertSpeaker(speaker.id, speaker.name, speaker.currentEmbedding, speaker.duration, speaker.rawEmbeddings,
                  speaker.updateCount, speaker.createdAt, speaker.updatedAt, speaker.isPermanent);
}

void SpeakerManager::upsertSpeaker(const std::string& id, const std::optional<std::string>& name,
                                   const std::vector<float>& currentEmbedding, float duration,
                                   const std::vector<RawEmbedding>& rawEmbeddings, std::int64_t updateCount,
                                   std::optional<SpeakerTimestamp> createdAt,
                                   std::optional<SpeakerTimestamp> updatedAt, bool isPermanent) {
    const auto now = std::chrono::system_clock::now();
    const auto stored = speakerDatabase_.find(id);
    if (stored != speakerDatabase_.end()) {
        auto& speaker = stored->second;
        speaker.currentEmbedding = currentEmbedding;
        speaker.duration = duration;
        speaker.rawEmbeddings = rawEmbeddings;
        speaker.updateCount = updateCount;
        speaker.updatedAt = updatedAt.value_or(now);
        if (name) speaker.name = *name;
        if (isPermanent) speaker.isPermanent = true;
        logger_.info("Updated existing speaker: " + id);
        return;
    }
    Speaker speaker(id, name.value_or(id), currentEmbedding, duration, createdAt.value_or(now), updatedAt.value_or(now),
                    isPermanent);
    speaker.rawEmbeddings = rawEmbeddings;
    speaker.updateCount = updateCount;
    speakerDatabase_.emplace(id, std::move(speaker));
    if (const auto number = decimalSpeakerId(id)) {
        highestSpeakerId_ = std::max(highestSpeakerId_, *number);
        nextSpeakerId_ = std::max(nextSpeakerId_, successor(*number));
    }
    logger_.info("Inserted new speaker: " + id);
}

} // namespace razeziruzer
