#include "Platform/Audio/CaptureError.hpp"
#include "Platform/Audio/CaptureSource.hpp"
#include "Platform/Audio/PulseCaptureEngine.hpp"
#include "tests/Support/PulseAudioTestServer.hpp"
#include "tests/Support/TestHost.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace platform::audio {
namespace {

using testsupport::PulseAudioTestServer;

// Interleaved stereo frames numbered 1, 2, 3, … on both channels, scaled into range.
std::vector<float> numberedFrames(std::uint32_t frames) {
    std::vector<float> samples(std::size_t{frames} * 2);
    for (std::uint32_t frame = 0; frame < frames; ++frame) samples[2 * frame] = samples[2 * frame + 1] = (frame + 1) / 65536.0F;
    return samples;
}

class PulseCaptureEngineTest : public ::testing::Test {
protected:
    void SetUp() override { REQUIRE_TEST_HOST(server.running(), server.failure()); }

    void installCountingTap(std::uint32_t size, const AudioFormat& format) {
        engine.installTap(size, format, [this](const PCMBuffer& block) {
            std::lock_guard guard(mutex);
            blockSizes.push_back(block.frameLength());
            const auto first = block.floatChannel(0);
            samples.insert(samples.end(), first.begin(), first.end());
            changed.notify_all();
        });
    }
    bool waitForFrames(std::size_t frames) {
        std::unique_lock guard(mutex);
        return changed.wait_for(guard, std::chrono::seconds(20), [&] { return samples.size() >= frames; });
    }

    PulseAudioTestServer server;
    PulseCaptureEngine engine{"Capture Tests"};
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::uint32_t> blockSizes;
    std::vector<float> samples; // first channel
};

TEST_F(PulseCaptureEngineTest, DeliversBlocksOfTheTapSizeInTheSourcesFormatAndTheRestAtRemoval) {
    const AudioFormat format = engine.inputFormat();
    EXPECT_EQ(format, *AudioFormat::standard(48000, 2));
    installCountingTap(1000, format);
    engine.start();
    ASSERT_TRUE(server.feedMicrophone(numberedFrames(4500)));
    ASSERT_TRUE(waitForFrames(4000));

    engine.removeTap(); // the unfinished block is handed over, then nothing more
    engine.stop();

    std::lock_guard guard(mutex);
    ASSERT_GE(blockSizes.size(), 4u);
    for (std::size_t i = 0; i + 1 < blockSizes.size(); ++i) EXPECT_EQ(blockSizes[i], 1000u) << "block " << i;
    EXPECT_LE(blockSizes.back(), 1000u);
    // The fed frames arrive in order, none twice, after whatever silence came first.
    const auto start = std::find(samples.begin(), samples.end(), 1 / 65536.0F);
    ASSERT_NE(start, samples.end());
    for (auto it = start; it != samples.end() && it - start < 4000; ++it) {
        ASSERT_EQ(*it, static_cast<float>(it - start + 1) / 65536.0F) << "frame " << (it - start);
    }
}

TEST_F(PulseCaptureEngineTest, StoppingKeepsTheTapSoAStartGoesOnDelivering) {
    installCountingTap(512, engine.inputFormat());
    engine.start();
    engine.stop();
    engine.start();
    ASSERT_TRUE(server.feedMicrophone(numberedFrames(2048)));
    EXPECT_TRUE(waitForFrames(1536));
    engine.removeTap();
}

TEST_F(PulseCaptureEngineTest, ListsTheCaptureSourcesButNoOutputMonitor) {
    const auto connection = PulseConnection::connect("Capture Tests");
    ASSERT_NE(connection, nullptr);
    const auto sources = listCaptureSources(*connection);
    ASSERT_TRUE(sources.has_value());
    ASSERT_EQ(sources->size(), 1u);
    EXPECT_EQ(sources->front().name, "testmic");
    EXPECT_EQ(sources->front().channels, 2u);
    EXPECT_FALSE(sources->front().description.empty());
}

TEST(PulseCaptureEngineWithoutServer, ReportsThatTheServerCannotBeReached) {
    testsupport::TemporaryDirectory folder;
    testsupport::ScopedEnvironment environment;
    environment.set("PULSE_SERVER", "unix:" + (folder.path() / "absent").string());
    EXPECT_EQ(PulseConnection::connect("Capture Tests"), nullptr);
    PulseCaptureEngine engine("Capture Tests");
    EXPECT_THROW(engine.inputFormat(), CaptureError);
    EXPECT_THROW(engine.start(), CaptureError);
}

} // namespace
} // namespace platform::audio
