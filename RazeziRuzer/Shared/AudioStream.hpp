#pragma once
// Live audio in, fixed-length overlapping chunks out. A producer writes blocks
// of any size (samples at the stream rate, or PCM buffers in any format,
// converted by the stream's own AudioConverter); blocks with a time are placed
// on the stream's timeline, silence filling gaps and overlaps written over.
// Consumers poll for chunks or bind a callback that each write calls for
// every chunk that becomes available. Writers and readers may be on
// different threads; callbacks run on the writing thread outside the lock,
// so a callback may itself read from or bind the stream.

#include "Platform/Audio/PCMBuffer.hpp"
#include "Platform/Concurrency/ThreadPool.hpp"
#include "RazeziRuzer/Shared/AudioConverter.hpp"
#include "RazeziRuzer/Shared/AudioStreamChunkingStrategy.hpp"
#include "RazeziRuzer/Shared/AudioStreamError.hpp"
#include "RazeziRuzer/Shared/AudioStreamStartupStrategy.hpp"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ranges>
#include <shared_mutex>
#include <span>
#include <type_traits>
#include <vector>

namespace razeziruzer {

class AudioStream {
public:
    // May throw; a throwing callback fails the write that called it.
    using Callback = std::function<void(std::vector<float> chunk, double chunkStartTime)>;

    struct Chunk {
        std::vector<float> chunk;
        double chunkStartTime;
    };

    // Durations and times in seconds. `chunkSkip` defaults to `chunkDuration`
    // and the capacity to chunkDuration + chunkSkip. Throws AudioStreamError.
    AudioStream(double chunkDuration, std::optional<double> chunkSkip, double streamStartTime,
                AudioStreamChunkingStrategy chunkingStrategy, AudioStreamStartupStrategy startupStrategy,
                double sampleRate, std::optional<double> bufferCapacitySeconds = std::nullopt);

    double sampleRate() const { return sampleRate_; }
    double chunkDuration() const { return chunkDuration_; }
    double chunkSkip() const { return chunkSkip_; }
    std::int64_t chunkSize() const { return chunkSize_; }
    std::int64_t skipSize() const { return skipSize_; }
    AudioStreamChunkingStrategy chunkingStrategy() const { return chunkingStrategy_; }

    bool hasNewChunk() const;
    double chunkOverlap() const { return chunkDuration_ - chunkSkip_; }
    std::int64_t overlapSize() const { return chunkSize_ - skipSize_; }

    // Replaces any bound callback.
    void bind(Callback callback);
    template <typename Collection>
    void bind(std::function<void(Collection, double)> callback) {
        bind(Callback([callback = std::move(callback)](std::vector<float> chunk, double time) {
            callback(Collection(chunk.begin(), chunk.end()), time);
        }));
    }
    // Hands each chunk to a new task on `pool`; the write does not wait for it.
    // The shared executor has no task priorities, so none is taken.
    void bindDetached(Callback callback, platform::ThreadPool& pool = platform::ThreadPool::shared());
    template <typename Collection>
    void bindDetached(std::function<void(Collection, double)> callback,
                      platform::ThreadPool& pool = platform::ThreadPool::shared()) {
        bindDetached(Callback([callback = std::move(callback)](std::vector<float> chunk, double time) {
                         callback(Collection(chunk.begin(), chunk.end()), time);
                     }),
                     pool);
    }
    void unbind();

    // `atTime` names the stream time of the block's end. Throws the
    // converter's AudioConverterError, the callback's error, or
    // std::invalid_argument for a time that is not finite.
    void write(std::span<const float> from, std::optional<double> atTime = std::nullopt);
    void write(const platform::audio::PCMBuffer& from, std::optional<double> atTime = std::nullopt);
    template <std::ranges::input_range Range>
        requires(!std::is_convertible_v<const Range&, std::span<const float>>)
    void write(const Range& from, std::optional<double> atTime = std::nullopt) {
        const std::vector<float> samples(std::ranges::begin(from), std::ranges::end(from));
        write(std::span<const float>(samples), atTime);
    }

    std::optional<Chunk> readChunkIfAvailable();

    // Gives the next chunk, as the collection the body takes, to the body
    // (with its start time when the body takes one) and returns the body's
    // result; nothing when no chunk is available.
    template <typename Collection = std::vector<float>, typename Body>
    auto withChunkIfAvailable(Body&& body) {
        constexpr bool withTime = std::is_invocable_v<Body&, Collection, double>;
        using Result = typename std::conditional_t<withTime, std::invoke_result<Body&, Collection, double>,
                                          std::invoke_result<Body&, Collection>>::type;
        std::optional<Result> result;
        auto chunk = readChunkIfAvailable();
        if (!chunk) return result;
        Collection collection(chunk->chunk.begin(), chunk->chunk.end());
        if constexpr (withTime) {
            result.emplace(body(std::move(collection), chunk->chunkStartTime));
        } else {
            result.emplace(body(std::move(collection)));
        }
        return result;
    }

private:
    // All of these run under the exclusive lock.
    void place(std::span<const float> block, std::optional<double> atTime);
    std::int64_t makeRoom(std::int64_t count, std::int64_t cap, std::int64_t shiftTarget);
    void appendSamples(std::span<const float> samples, std::int64_t cap, std::int64_t shiftTarget);
    void appendZeros(std::int64_t count, std::int64_t cap, std::int64_t shiftTarget);
    void forget(std::int64_t count);
    std::optional<Chunk> takeChunk();

    void deliverChunks();
    std::int64_t capacity() const { return static_cast<std::int64_t>(buffer_.size()); }

    const double sampleRate_;
    const double chunkDuration_;
    const double chunkSkip_;
    const std::int64_t chunkSize_;
    const std::int64_t skipSize_;
    const AudioStreamChunkingStrategy chunkingStrategy_;

    mutable std::shared_mutex mutex_;
    std::int64_t writeIndex_ = 0; // negative -k: the next k samples fall before the buffer and are skipped
    std::shared_ptr<const Callback> callback_;
    std::int64_t temporaryChunkSize_;
    double bufferStartTime_;
    std::vector<float> buffer_; // allocated once at its capacity
    const AudioConverter converter_;
};

} // namespace razeziruzer
