#include "RazeziRuzer/Diarizer/Core/DiarizerManager.hpp"

#include "RazeziRuzer/Diarizer/Core/DiarizerError.hpp"
#include "Platform/Accel/VectorOps.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace razeziruzer {
namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Whole seconds, halves away from zero.
std::int64_t wholeSeconds(float seconds, const char* field) {
    if (!std::isfinite(seconds) || std::abs(seconds) > 1e9f) {
        throw DiarizerError::processingFailed(std::string("Invalid ") + field);
    }
    return std::llround(seconds);
}

// Frames in which each local speaker is active, overlaps included.
std::vector<float> speakerActivities(const std::vector<std::vector<float>>& segments) {
    std::vector<float> activities(segments.front().size(), 0.0f);
    for (const auto& frame : segments) {
        for (std::size_t s = 0; s < activities.size() && s < frame.size(); ++s) activities[s] += frame[s];
    }
    return activities;
}

float norm(const std::vector<float>& values) { return std::sqrt(platform::accel::sumOfSquares(values)); }

} // namespace

DiarizerManager::DiarizerManager(DiarizerConfig config)
    : speakerManager(config.clusteringThreshold * 1.2f, config.clusteringThreshold * 0.8f, config.minSpeechDuration,
                     config.minEmbeddingUpdateDuration),
      config_(config) {}

void DiarizerManager::initialize(DiarizerModels models) {
    logger_.info("Initializing diarization system");
    embeddingExtractor.emplace(models.embeddingModel);
    logger_.info("EmbeddingExtractor initialized with embedding model");
    models_ = std::move(models);
}

void DiarizerManager::cleanup() {
    models_.reset();
    logger_.info("Diarization resources cleaned up");
}

bool DiarizerManager::validateEmbedding(std::span<const float> embedding) const {
    return audioValidation_.validateEmbedding(embedding);
}

AudioValidationResult DiarizerManager::validateAudio(std::span<const float> samples) const {
    return audioValidation_.validateAudio(samples);
}

void DiarizerManager::initializeKnownSpeakers(const std::vector<Speaker>& speakers) {
    speakerManager.initializeKnownSpeakers(speakers, SpeakerInitializationMode::skip, true);
}

std::vector<float> DiarizerManager::extractSpeakerEmbedding(std::span<const float> samples) {
    if (!embeddingExtractor || !models_) throw DiarizerError::notInitialized();
    const auto& outputs = models_->segmentationModel.modelDescription().outputDescriptionsByName;
    const auto found = outputs.find("segments");
    const auto constraint =
        found == outputs.end() ? std::optional<platform::coreml::MLMultiArrayConstraint>() : found->second.multiArrayConstraint;
    if (!constraint || constraint->shape.size() < 2) {
        throw DiarizerError::processingFailed("Cannot determine segmentation frame count from model output shape");
    }
    const std::vector<float> mask(static_cast<std::size_t>(constraint->shape[1]), 1.0f);
    const auto embeddings = embeddingExtractor->getEmbeddings(samples, {mask}, 10.0f);
    if (embeddings.empty()) throw DiarizerError::embeddingExtractionFailed();
    return embeddings.front();
}

DiarizationResult DiarizerManager::performCompleteDiarization(std::span<const float> samples, int sampleRate,
                                                              double atTime) {
    if (!models_) throw DiarizerError::notInitialized();
    const auto duration = wholeSeconds(config_.chunkDuration, "chunk duration");
    const auto overlap = wholeSeconds(config_.chunkOverlap, "chunk overlap");
    // The segmentation model sees one window per chunk: a longer chunk is cut
    // to it, and the step never passes it, so no audio goes undiarized.
    const auto requestedSize = duration * sampleRate;
    const auto chunkSize = std::min(requestedSize, segmentationWindow);
    const auto step = std::min(requestedSize - overlap * sampleRate, chunkSize);
    if (step == 0) {
        throw DiarizerError::processingFailed("Chunk overlap must be shorter than the chunk duration");
    }

    // A failed call changes nothing: the database is restored with the error.
    const auto databaseBefore = speakerManager;
    std::vector<float> chunkBuffer(static_cast<std::size_t>(std::max<std::int64_t>(chunkSize, 1)), 0.0f);
    std::vector<TimedSpeakerSegment> segments;
    ChunkTimings sums;
    const auto count = static_cast<std::int64_t>(samples.size());
    try {
        // An overlap longer than the chunk leaves no chunk at all.
        for (std::int64_t chunkStart = 0; step > 0 && chunkStart < count; chunkStart += step) {
            const auto length = std::min(chunkSize, count - chunkStart);
            const auto chunk = samples.subspan(static_cast<std::size_t>(chunkStart), static_cast<std::size_t>(length));
            const double offset = static_cast<double>(chunkStart) / sampleRate + atTime;
            auto result = processChunk(chunk, offset, chunkSize, chunkBuffer);
            std::move(result.segments.begin(), result.segments.end(), std::back_inserter(segments));
            sums.segmentation += result.timings.segmentation;
            sums.embedding += result.timings.embedding;
            sums.assignment += result.timings.assignment;
        }
    } catch (...) {
        speakerManager = databaseBefore;
        throw;
    }
    const auto postProcessingStart = Clock::now();
    DiarizationResult result;
    result.segments = std::move(segments);
    if (config_.debugMode) {
        std::map<std::string, std::vector<float>> database;
        for (const auto& [id, speaker] : speakerManager.speakerDatabase()) database.emplace(id, speaker.currentEmbedding);
        result.speakerDatabase = std::move(database);
        const double postProcessing = secondsSince(postProcessingStart);
        result.timings = PipelineTimings(models_->compilationDuration, 0, sums.segmentation, sums.embedding,
                                         sums.assignment, postProcessing);
    }
    return result;
}

DiarizerManager::ChunkResult DiarizerManager::processChunk(std::span<const float> chunk, double chunkOffset,
                                                           std::int64_t chunkSize, std::vector<float>& chunkBuffer) {
    const auto t0 = Clock::now();
    if (static_cast<std::int64_t>(chunkBuffer.size()) != chunkSize) {
        chunkBuffer.assign(static_cast<std::size_t>(chunkSize), 0.0f);
    }
    std::fill(chunkBuffer.begin(), chunkBuffer.end(), 0.0f);
    std::copy_n(chunk.begin(), std::min<std::size_t>(chunk.size(), chunkBuffer.size()), chunkBuffer.begin());
    const std::span<const float> buffer(chunkBuffer.data(), static_cast<std::size_t>(chunkSize));
    const auto segmentation =
        segmentationProcessor_.getSegments(buffer, models_->segmentationModel, segmentationWindow);
    const auto& frames = segmentation.segments.front();
    if (frames.empty() || frames.front().empty()) {
        throw DiarizerError::processingFailed("Segmentation produced no frames");
    }
    ChunkTimings timings;
    timings.segmentation = secondsSince(t0);

    const auto t1 = Clock::now();
    if (!embeddingExtractor) throw DiarizerError::notInitialized();
    const auto speakers = frames.front().size();
    // Each mask keeps the frames in which its speaker talks alone.
    std::vector<std::vector<float>> masks(speakers, std::vector<float>(frames.size(), 0.0f));
    for (std::size_t f = 0; f < frames.size(); ++f) {
        float active = 0;
        for (const float value : frames[f]) active += value;
        if (active >= 2.0f) continue;
        for (std::size_t s = 0; s < speakers && s < frames[f].size(); ++s) masks[s][f] = frames[f][s];
    }
    const auto embeddings = embeddingExtractor->getEmbeddings(buffer, masks, config_.minActiveFramesCount);
    timings.embedding = secondsSince(t1);

    const auto t2 = Clock::now();
    const auto activities = speakerActivities(frames);
    std::vector<std::string> speakerIds;
    for (std::size_t s = 0; s < activities.size(); ++s) {
        std::string id;
        if (activities[s] > config_.minActiveFramesCount && s < embeddings.size() &&
            audioValidation_.validateEmbedding(embeddings[s])) {
            const auto speechDuration = activities[s] * static_cast<float>(frameStep);
            if (const auto speaker = speakerManager.assignSpeaker(embeddings[s], speechDuration)) id = speaker->id;
        }
        speakerIds.push_back(std::move(id));
    }
    timings.assignment = secondsSince(t2);
    return {createTimedSegments(frames, chunkOffset, embeddings, speakerIds, activities), timings};
}

std::vector<TimedSpeakerSegment> DiarizerManager::createTimedSegments(
    const std::vector<std::vector<float>>& segments, double start, const std::vector<std::vector<float>>& embeddings,
    const std::vector<std::string>& speakerIds, const std::vector<float>& activities) const {
    const auto frameCount = static_cast<std::int64_t>(segments.size());
    const double chunkEnd = start + static_cast<double>(frameCount) * frameStep;
    std::vector<TimedSpeakerSegment> result;
    const auto emit = [&](std::size_t s, std::int64_t a, std::int64_t b, bool openAtEnd) {
        if (s >= speakerIds.size() || speakerIds[s].empty() || s >= embeddings.size()) return;
        const double startTime = start + static_cast<double>(a) * frameStep;
        const double endTime = openAtEnd ? chunkEnd : start + static_cast<double>(b) * frameStep;
        if (static_cast<float>(endTime - startTime) < config_.minSpeechDuration) return;
        const float quality =
            std::min(norm(embeddings[s]) / 10.0f, 1.0f) * (activities[s] / static_cast<float>(b - a));
        result.emplace_back(speakerIds[s], embeddings[s], static_cast<float>(startTime), static_cast<float>(endTime),
                            quality);
    };
    for (std::size_t s = 0; s < activities.size(); ++s) {
        if (config_.minActiveFramesCount > activities[s]) continue;
        bool inside = false;
        std::int64_t first = 0;
        for (std::int64_t f = 0; f < frameCount; ++f) {
            const auto& frame = segments[static_cast<std::size_t>(f)];
            bool otherActive = false;
            for (std::size_t other = 0; other < frame.size(); ++other) {
                if (other != s && frame[other] > 0.3f) otherActive = true;
            }
            const float threshold = otherActive ? 0.15f : 0.3f;
            const float value = frame[s];
            if (value > threshold) {
                if (!inside) {
                    inside = true;
                    first = f;
                }
            } else if (value <= threshold && inside) {
                emit(s, first, f, false);
                inside = false;
            }
        }
        if (inside) emit(s, first, frameCount, true);
    }
    std::stable_sort(result.begin(), result.end(), [](const TimedSpeakerSegment& a, const TimedSpeakerSegment& b) {
        return a.startTimeSeconds < b.startTimeSeconds;
    });
    return result;
}

} // namespace razeziruzer
