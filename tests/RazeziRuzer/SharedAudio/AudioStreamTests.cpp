#include "RazeziRuzer/Shared/AudioStream.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <numeric>
#include <stdexcept>

namespace razeziruzer {
namespace {

using Chunking = AudioStreamChunkingStrategy;
using Startup = AudioStreamStartupStrategy;

constexpr double start = 100.0;

// Samples first, first + 1, ... as floats, so a chunk names where it came from.
std::vector<float> counting(std::size_t first, std::size_t count) {
    std::vector<float> samples(count);
    std::iota(samples.begin(), samples.end(), static_cast<float>(first));
    return samples;
}

AudioStream oneSecondHalfSkip(Chunking chunking, Startup startup) {
    return AudioStream(1.0, 0.5, start, chunking, startup, 16000);
}

// Records every chunk a bound callback receives.
struct Recorder {
    std::vector<AudioStream::Chunk> chunks;
    AudioStream::Callback callback() {
        return [this](std::vector<float> chunk, double time) { chunks.push_back({std::move(chunk), time}); };
    }
};

TEST(AudioStreamTest, FixedSkipDeliversOverlappingChunksOnTheTimeline) {
    auto stream = oneSecondHalfSkip(Chunking::useFixedSkip, Startup::waitForFullChunk);
    EXPECT_EQ(stream.chunkSize(), 16000);
    EXPECT_EQ(stream.skipSize(), 8000);
    EXPECT_EQ(stream.overlapSize(), 8000);
    EXPECT_DOUBLE_EQ(stream.chunkOverlap(), 0.5);
    Recorder recorder;
    stream.bind(recorder.callback());

    stream.write(counting(0, 24000));
    ASSERT_EQ(recorder.chunks.size(), 2u);
    EXPECT_EQ(recorder.chunks[0].chunk, counting(0, 16000));
    EXPECT_DOUBLE_EQ(recorder.chunks[0].chunkStartTime, start);
    EXPECT_EQ(recorder.chunks[1].chunk, counting(8000, 16000));
    EXPECT_DOUBLE_EQ(recorder.chunks[1].chunkStartTime, start + 0.5);
    EXPECT_FALSE(stream.hasNewChunk());

    stream.write(counting(24000, 8000));
    ASSERT_EQ(recorder.chunks.size(), 3u);
    EXPECT_EQ(recorder.chunks[2].chunk, counting(16000, 16000));
    EXPECT_DOUBLE_EQ(recorder.chunks[2].chunkStartTime, start + 1.0);
}

TEST(AudioStreamTest, StartSilentLeadsWithSilence) {
    auto stream = oneSecondHalfSkip(Chunking::useFixedSkip, Startup::startSilent);
    stream.write(counting(1, 8000));
    const auto chunk = stream.readChunkIfAvailable();
    ASSERT_TRUE(chunk);
    std::vector<float> expected(8000, 0.0f);
    const auto samples = counting(1, 8000);
    expected.insert(expected.end(), samples.begin(), samples.end());
    EXPECT_EQ(chunk->chunk, expected);
    EXPECT_DOUBLE_EQ(chunk->chunkStartTime, start - 0.5);
    EXPECT_FALSE(stream.readChunkIfAvailable());
}

TEST(AudioStreamTest, RampUpGrowsChunksUntilTheyAreFull) {
    auto stream = oneSecondHalfSkip(Chunking::useFixedSkip, Startup::rampUpChunkSize);
    Recorder recorder;
    stream.bind(recorder.callback());
    stream.write(counting(0, 8000));
    stream.write(counting(8000, 8000));
    stream.write(counting(16000, 8000));
    ASSERT_EQ(recorder.chunks.size(), 3u);
    EXPECT_EQ(recorder.chunks[0].chunk, counting(0, 8000));
    EXPECT_EQ(recorder.chunks[1].chunk, counting(0, 16000));
    EXPECT_DOUBLE_EQ(recorder.chunks[0].chunkStartTime, start);
    EXPECT_DOUBLE_EQ(recorder.chunks[1].chunkStartTime, start);
    EXPECT_EQ(recorder.chunks[2].chunk, counting(8000, 16000));
    EXPECT_DOUBLE_EQ(recorder.chunks[2].chunkStartTime, start + 0.5);
}

TEST(AudioStreamTest, TimedWritesFillGapsAndOverwriteOverlaps) {
    // The time names the end of the block.
    auto gapStream = AudioStream(1.0, 0.5, 0, Chunking::useFixedSkip, Startup::waitForFullChunk, 16000);
    gapStream.write(counting(0, 4000));
    gapStream.write(counting(10000, 4000), 0.75); // 0.25 s after the block's own end at 0.5 s
    gapStream.write(counting(20000, 4000));
    auto chunk = gapStream.readChunkIfAvailable();
    ASSERT_TRUE(chunk);
    auto expected = counting(0, 4000);
    expected.resize(8000, 0.0f);
    for (const auto& part : {counting(10000, 4000), counting(20000, 4000)}) {
        expected.insert(expected.end(), part.begin(), part.end());
    }
    EXPECT_EQ(chunk->chunk, expected);

    auto overlapStream = AudioStream(1.0, 0.5, 0, Chunking::useFixedSkip, Startup::waitForFullChunk, 16000);
    overlapStream.write(counting(0, 8000));
    overlapStream.write(counting(10000, 4000), 0.5); // ends where the stream already ends
    overlapStream.write(counting(20000, 8000));
    chunk = overlapStream.readChunkIfAvailable();
    ASSERT_TRUE(chunk);
    expected = counting(0, 4000);
    for (const auto& part : {counting(10000, 4000), counting(20000, 8000)}) {
        expected.insert(expected.end(), part.begin(), part.end());
    }
    EXPECT_EQ(chunk->chunk, expected);
    EXPECT_DOUBLE_EQ(chunk->chunkStartTime, 0.0);

    EXPECT_THROW(overlapStream.write(counting(0, 10), std::nan("")), std::invalid_argument);
}

TEST(AudioStreamTest, MostRecentKeepsOnlyTheNewestChunkAndItsOverlap) {
    auto stream = oneSecondHalfSkip(Chunking::useMostRecent, Startup::waitForFullChunk);
    stream.write(counting(0, 100000));
    auto chunk = stream.readChunkIfAvailable();
    ASSERT_TRUE(chunk);
    EXPECT_EQ(chunk->chunk, counting(84000, 16000));
    EXPECT_DOUBLE_EQ(chunk->chunkStartTime, start + 84000 / 16000.0);
    EXPECT_FALSE(stream.hasNewChunk());

    stream.write(counting(100000, 8000));
    chunk = stream.readChunkIfAvailable();
    ASSERT_TRUE(chunk);
    EXPECT_EQ(chunk->chunk, counting(92000, 16000));
    EXPECT_DOUBLE_EQ(chunk->chunkStartTime, start + 92000 / 16000.0);
}

TEST(AudioStreamTest, ImpossibleShapesAreRefused) {
    const struct {
        double duration;
        std::optional<double> skip;
        std::optional<double> capacity;
        AudioStreamErrorKind kind;
    } cases[] = {
        {0.00001, std::nullopt, std::nullopt, AudioStreamErrorKind::invalidChunkDuration},
        {std::nan(""), std::nullopt, std::nullopt, AudioStreamErrorKind::invalidChunkDuration},
        {1.0, 1.5, std::nullopt, AudioStreamErrorKind::invalidChunkSkip},
        {1.0, 0.00001, std::nullopt, AudioStreamErrorKind::invalidChunkSkip},
        {1.0, 0.5, 0.5, AudioStreamErrorKind::bufferTooSmall},
        {1.0, 0.5, std::nan(""), AudioStreamErrorKind::bufferTooSmall},
    };
    for (const auto& c : cases) {
        try {
            AudioStream(c.duration, c.skip, 0, Chunking::useFixedSkip, Startup::waitForFullChunk, 16000, c.capacity);
            ADD_FAILURE() << c.duration;
        } catch (const AudioStreamError& error) {
            EXPECT_EQ(error, AudioStreamError(c.kind)) << error.description();
        }
    }
}

TEST(AudioStreamTest, FailingCallbackFailsTheWriteAndConsumesOnlyItsChunk) {
    auto stream = oneSecondHalfSkip(Chunking::useFixedSkip, Startup::waitForFullChunk);
    int calls = 0;
    stream.bind([&](std::vector<float>, double) {
        ++calls;
        throw std::runtime_error("consumer broke");
    });
    EXPECT_THROW(stream.write(counting(0, 24000)), std::runtime_error);
    EXPECT_EQ(calls, 1);
    stream.unbind();
    const auto next = stream.readChunkIfAvailable();
    ASSERT_TRUE(next);
    EXPECT_EQ(next->chunk, counting(8000, 16000));
}

TEST(AudioStreamTest, CallbackMayRebindTheStreamWhileBeingCalled) {
    auto stream = oneSecondHalfSkip(Chunking::useFixedSkip, Startup::waitForFullChunk);
    std::vector<std::string> seen;
    stream.bind([&](std::vector<float>, double) {
        seen.push_back("first");
        stream.bind<std::deque<float>>(std::function<void(std::deque<float>, double)>(
            [&](std::deque<float> chunk, double) { seen.push_back("second " + std::to_string(chunk.front())); }));
    });
    stream.write(counting(0, 24000));
    EXPECT_EQ(seen, (std::vector<std::string>{"first", "second 8000.000000"}));

    stream.unbind();
    stream.write(counting(24000, 8000));
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_TRUE(stream.hasNewChunk());
    const auto sum = stream.withChunkIfAvailable([](std::vector<float> chunk) { return chunk.size(); });
    EXPECT_EQ(sum, std::optional<std::size_t>(16000));
    EXPECT_FALSE(stream.withChunkIfAvailable([](std::vector<float>, double time) { return time; }));
}

TEST(AudioStreamTest, EmptyWritesDeliverNothing) {
    auto stream = oneSecondHalfSkip(Chunking::useFixedSkip, Startup::waitForFullChunk);
    stream.write(counting(0, 16000));
    Recorder recorder;
    stream.bind(recorder.callback());
    stream.write(std::vector<float>{});
    EXPECT_TRUE(recorder.chunks.empty());
    stream.write(counting(16000, 1));
    EXPECT_EQ(recorder.chunks.size(), 1u);
}

TEST(AudioStreamTest, PcmBuffersAreConvertedToTheStreamRate) {
    using platform::audio::AudioFormat;
    auto stream = AudioStream(0.5, std::nullopt, 0, Chunking::useFixedSkip, Startup::waitForFullChunk, 16000);
    auto buffer = *platform::audio::PCMBuffer::make(*AudioFormat::standard(48000, 2), 48000);
    for (std::uint32_t c = 0; c < 2; ++c) std::fill_n(buffer.floatChannelData(c), 48000, 0.25f);
    buffer.setFrameLength(48000);
    stream.write(buffer);
    const auto chunk = stream.readChunkIfAvailable();
    ASSERT_TRUE(chunk);
    EXPECT_EQ(chunk->chunk.size(), 8000u);
    EXPECT_NEAR(chunk->chunk[4000], 0.25f, 1e-3f);
}

TEST(AudioStreamTest, DetachedCallbacksRunOnThePool) {
    std::mutex mutex;
    std::condition_variable done;
    std::vector<double> times;
    platform::ThreadPool pool(2); // joined before the state its tasks touch goes
    auto stream = oneSecondHalfSkip(Chunking::useFixedSkip, Startup::waitForFullChunk);
    stream.bindDetached(
        [&](std::vector<float> chunk, double time) {
            std::lock_guard lock(mutex);
            EXPECT_EQ(chunk.size(), 16000u);
            times.push_back(time);
            done.notify_all();
        },
        pool);
    stream.write(counting(0, 24000));
    std::unique_lock lock(mutex);
    done.wait(lock, [&] { return times.size() == 2; });
    std::sort(times.begin(), times.end());
    EXPECT_EQ(times, (std::vector<double>{start, start + 0.5}));
}

} // namespace
} // namespace razeziruzer
