// Queries and upkeep of the speaker database.
#include "RazeziRuzer/Diarizer/Clustering/SpeakerManager.hpp"

#include "RazeziRuzer/Diarizer/Clustering/SpeakerUtilities.hpp"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace razeziruzer {
namespace {

std::string formatted(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

} // namespace

SpeakerManager::Match SpeakerManager::findSpeaker(std::span<const float> embedding, std::optional<float> threshold) const {
    const auto closest = findClosestSpeaker(embedding);
    if (closest.speakerId && closest.distance <= threshold.value_or(speakerThreshold)) {
        return {closest.speakerId, closest.distance};
    }
    return {std::nullopt, std::numeric_limits<float>::infinity()};
}

std::vector<std::pair<std::string, float>> SpeakerManager::findMatchingSpeakers(std::span<const float> embedding,
                                                                                std::optional<float> threshold) const {
    const float limit = threshold.value_or(speakerThreshold);
    std::vector<std::pair<std::string, float>> matches;
    for (const auto& [id, speaker] : speakerDatabase_) {
        const float distance = SpeakerUtilities::cosineDistance(embedding, speaker.currentEmbedding);
        if (distance <= limit) matches.emplace_back(id, distance);
    }
    std::stable_sort(matches.begin(), matches.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    return matches;
}

std::vector<std::string> SpeakerManager::findSpeakers(const Predicate& predicate) const {
    std::vector<std::string> ids;
    for (const auto& [id, speaker] : speakerDatabase_) {
        if (predicate(speaker)) ids.push_back(id);
    }
    return ids;
}

std::vector<std::string> SpeakerManager::speakerIds() const {
    return findSpeakers([](const Speaker&) { return true; });  // the map keeps them in text order
}

std::vector<std::string> SpeakerManager::permanentSpeakerIds() const {
    return findSpeakers([](const Speaker& speaker) { return speaker.isPermanent; });
}

std::vector<Speaker> SpeakerManager::getSpeakerList() const {
    std::vector<Speaker> speakers;
    for (const auto& [id, speaker] : speakerDatabase_) speakers.push_back(speaker);
    return speakers;
}

std::optional<Speaker> SpeakerManager::getSpeaker(const std::string& id) const {
    const auto found = speakerDatabase_.find(id);
    if (found == speakerDatabase_.end()) return std::nullopt;
    return found->second;
}

std::vector<SpeakerManager::MergeablePair> SpeakerManager::findMergeablePairs(std::optional<float> threshold,
                                                                              bool excludeIfBothPermanent) const {
    const float limit = threshold.value_or(speakerThreshold);
    const auto ids = speakerIds();
    std::vector<MergeablePair> pairs;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const auto& first = speakerDatabase_.at(ids[i]);
        for (std::size_t j = i + 1; j < ids.size(); ++j) {
            const auto& second = speakerDatabase_.at(ids[j]);
            if (excludeIfBothPermanent && first.isPermanent && second.isPermanent) {
                logger_.info("findMergeablePairs: Skipping " + ids[i] + " and " + ids[j] + " as both are permanent");
                continue;
            }
            if (!(SpeakerUtilities::cosineDistance(first.currentEmbedding, second.currentEmbedding) < limit)) continue;
            if (second.isPermanent) {
                pairs.push_back({ids[i], ids[j]});
            } else {
                pairs.push_back({ids[j], ids[i]});
            }
        }
    }
    return pairs;
}

SpeakerManager::GlobalStats SpeakerManager::getGlobalSpeakerStats() const {
    if (speakerDatabase_.empty()) return {};
    GlobalStats stats;
    stats.totalSpeakers = speakerCount();
    float updates = 0;
    for (const auto& [id, speaker] : speakerDatabase_) {
        stats.totalDuration += speaker.duration;
        updates += static_cast<float>(speaker.updateCount);
        if (!speaker.rawEmbeddings.empty()) ++stats.speakersWithHistory;
    }
    const float ratio = updates / static_cast<float>(stats.totalSpeakers) / 10.0f;
    stats.averageConfidence = std::min(ratio, 1.0f);
    logger_.info("Global stats - Speakers: " + std::to_string(stats.totalSpeakers) + ", Duration: " +
                 formatted("%.1f", stats.totalDuration) + "s, Avg confidence: " + formatted("%.2f", ratio) +
                 ", With history: " + std::to_string(stats.speakersWithHistory));
    return stats;
}

void SpeakerManager::makeSpeakerPermanent(const std::string& id) {
    const auto found = speakerDatabase_.find(id);
    if (found == speakerDatabase_.end()) {
        logger_.warning("Failed to mark speaker " + id + " as permanent (speaker not found).");
        return;
    }
    logger_.info("Marking speaker " + id + " as permanent.");
    found->second.isPermanent = true;
}

void SpeakerManager::revokePermanence(const std::string& id) {
    const auto found = speakerDatabase_.find(id);
    if (found == speakerDatabase_.end()) {
        logger_.warning("Failed to revoke permanence from speaker " + id + " (speaker not found).");
        return;
    }
    logger_.info("Revoking permanence from speaker " + id + ".");
    found->second.isPermanent = false;
}

void SpeakerManager::resetPermanentFlags() {
    for (auto& [id, speaker] : speakerDatabase_) speaker.isPermanent = false;
}

void SpeakerManager::mergeSpeaker(const std::string& source, const std::string& destination,
                                  const std::optional<std::string>& mergedName, bool stopIfPermanent) {
    if (source == destination) return;
    const auto from = speakerDatabase_.find(source);
    const auto into = speakerDatabase_.find(destination);
    if (from == speakerDatabase_.end() || into == speakerDatabase_.end()) return;
    if (stopIfPermanent && from->second.isPermanent) return;
    into->second.mergeWith(from->second, mergedName);
    speakerDatabase_.erase(from);
}

void SpeakerManager::removeSpeaker(const std::string& id, bool keepIfPermanent) {
    const auto found = speakerDatabase_.find(id);
    if (keepIfPermanent && found != speakerDatabase_.end() && found->second.isPermanent) {
        logger_.warning("Failed to remove speaker: " + id + " (Speaker is permanent)");
        return;
    }
    if (found == speakerDatabase_.end()) {
        logger_.warning("Failed to remove speaker: " + id + " (Speaker not found)");
        return;
    }
    speakerDatabase_.erase(found);
    logger_.info("Removing speaker: " + id);
}

void SpeakerManager::removeSpeakersInactive(SpeakerTimestamp since, bool keepIfPermanent) {
    std::erase_if(speakerDatabase_, [&](const auto& entry) {
        const auto& speaker = entry.second;
        if (!(speaker.updatedAt < since) || (keepIfPermanent && speaker.isPermanent)) return false;
        logger_.info("Removing speaker " + entry.first + " due to inactivity");
        return true;
    });
}

void SpeakerManager::removeSpeakersInactive(double seconds, bool keepIfPermanent) {
    const auto since = std::chrono::system_clock::now() -
                       std::chrono::duration_cast<SpeakerTimestamp::duration>(std::chrono::duration<double>(seconds));
    removeSpeakersInactive(since, keepIfPermanent);
}

void SpeakerManager::removeSpeakers(const Predicate& predicate, bool keepIfPermanent) {
    std::erase_if(speakerDatabase_, [&](const auto& entry) {
        const bool matches = predicate(entry.second);
        if (!matches || (keepIfPermanent && entry.second.isPermanent)) return false;
        logger_.info("Removing speaker " + entry.first + " based on predicate");
        return true;
    });
}

bool SpeakerManager::reassignSegment(const platform::Uuid& segmentId, const std::string& from, const std::string& to) {
    const auto source = speakerDatabase_.find(from);
    const auto target = speakerDatabase_.find(to);
    if (source == speakerDatabase_.end() || target == speakerDatabase_.end()) {
        logger_.warning("One or both speakers not found: from=" + from + ", to=" + to);
        return false;
    }
    auto& history = source->second.rawEmbeddings;
    const auto found = std::find_if(history.begin(), history.end(),
                                    [&](const RawEmbedding& raw) { return raw.segmentId == segmentId; });
    if (found == history.end()) {
        logger_.warning("Segment " + segmentId.toString() + " not found in speaker " + from);
        return false;
    }
    logger_.info("Reassigned segment " + segmentId.toString() + " from " + from + " to " + to);
    // Moving within one speaker leaves its history as it is.
    if (source == target) return true;
    const auto moved = *found;
    history.erase(found);
    target->second.rawEmbeddings.push_back(moved);
    return true;
}

} // namespace razeziruzer
