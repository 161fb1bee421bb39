#include "RazeziRuzer/Shared/ArrayAudioSampleSource.hpp"
#include "RazeziRuzer/Shared/AudioSource.hpp"
#include "RazeziRuzer/Shared/AudioSourceError.hpp"
#include "RazeziRuzer/Shared/AudioSourceFactory.hpp"

#include "Platform/Audio/WavWriter.hpp"
#include "Platform/Core/Logger.hpp"
#include "tests/Support/ScopedEnvironment.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <fstream>
#include <sys/resource.h>

namespace razeziruzer {
namespace {

namespace fs = std::filesystem;

std::vector<float> ramp(std::size_t n) {
    std::vector<float> samples(n);
    for (std::size_t i = 0; i < n; ++i) samples[i] = static_cast<float>(i) + 0.5f;
    return samples;
}

// Both sources over the samples 0.5, 1.5, ... of `count` places.
class SampleSourceTest : public ::testing::Test {
protected:
    DiskBackedAudioSampleSource diskSource(const std::vector<float>& samples) {
        const auto path = folder / "samples.raw";
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(samples.data()), static_cast<std::streamsize>(samples.size() * 4));
        return DiskBackedAudioSampleSource(std::make_shared<const MappedFileData>(path), path);
    }
    testsupport::TemporaryDirectory folder;
};

TEST_F(SampleSourceTest, CopiesOnlyWhatExistsAndLeavesTheRestOfTheDestination) {
    const auto samples = ramp(20);
    const ArrayAudioSampleSource array(samples);
    const auto disk = diskSource(samples);
    const struct {
        std::int64_t offset, count;
        std::vector<float> expected; // destination of 10 places, -1 untouched
    } cases[] = {
        {-10, 5, {0.5f, 1.5f, 2.5f, 3.5f, 4.5f, -1, -1, -1, -1, -1}},
        {20, 5, {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1}},
        {17, 10, {17.5f, 18.5f, 19.5f, -1, -1, -1, -1, -1, -1, -1}},
        {4, 3, {4.5f, 5.5f, 6.5f, -1, -1, -1, -1, -1, -1, -1}},
        {3, 0, {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1}},
        {3, -4, {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1}},
    };
    for (const AudioSampleSource* source : {static_cast<const AudioSampleSource*>(&array),
                                            static_cast<const AudioSampleSource*>(&disk)}) {
        EXPECT_EQ(source->sampleCount(), 20);
        for (const auto& c : cases) {
            std::vector<float> destination(10, -1.0f);
            source->copySamples(destination.data(), c.offset, c.count);
            EXPECT_EQ(destination, c.expected) << c.offset << " " << c.count;
        }
    }
}

TEST_F(SampleSourceTest, DiskSourceDropsATrailingPartialSampleAndSurvivesCleanup) {
    const auto path = folder / "odd.raw";
    const float values[2] = {0.25f, -0.75f};
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(values), 7);
    const DiskBackedAudioSampleSource source(std::make_shared<const MappedFileData>(path), path);
    EXPECT_EQ(source.sampleCount(), 1);
    EXPECT_EQ(source.floatStride(), 4);

    const auto copy = source; // shares the mapping and the file
    copy.cleanup();
    EXPECT_FALSE(fs::exists(path));
    copy.cleanup(); // a second delete fails quietly
    float first = 0;
    source.copySamples(&first, 0, 1);
    EXPECT_EQ(first, 0.25f);

    EXPECT_EQ(ArrayAudioSampleSource({}).sampleCount(), 0);
}

TEST(AudioSourceTest, TextFormIsTheCaseName) {
    EXPECT_EQ(description(AudioSource::microphone), "microphone");
    EXPECT_EQ(description(AudioSource::system), "system");
    EXPECT_EQ(AudioSourceError::processingFailed("disk full").errorDescription(), "Processing failed: disk full");
}

// The factory's temporary files go to a private folder named by TMPDIR.
class AudioSourceFactoryTest : public ::testing::Test {
protected:
    AudioSourceFactoryTest() { environment.set("TMPDIR", (folder / "tmp").string()); fs::create_directories(folder / "tmp"); }

    fs::path writeWav(const std::string& name, const std::vector<float>& interleaved, double rate,
                      std::uint32_t channels) {
        const auto path = folder / name;
        platform::audio::WavWriter::write(path, interleaved, rate, channels);
        return path;
    }
    std::vector<fs::path> temporaryFiles() const {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(folder / "tmp")) files.push_back(entry.path());
        return files;
    }
    std::vector<float> allSamples(const AudioSampleSource& source) const {
        std::vector<float> samples(static_cast<std::size_t>(source.sampleCount()));
        source.copySamples(samples.data(), 0, source.sampleCount());
        return samples;
    }

    testsupport::TemporaryDirectory folder;
    testsupport::ScopedEnvironment environment;
};

TEST_F(AudioSourceFactoryTest, TargetRateMonoFileStreamsIntoARawFloatFile) {
    std::vector<float> samples(40000);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<float>(std::sin(0.01 * i) * 0.5);
    platform::ScopedLogCapture capture;
    const auto [source, loadDuration] =
        AudioSourceFactory().makeDiskBackedSource(writeWav("mono.wav", samples, 16000, 1), 16000);

    const auto name = source.fileURL().filename().string();
    EXPECT_EQ(source.fileURL().parent_path(), folder / "tmp");
    EXPECT_TRUE(name.starts_with("razeziruzer-streaming-")) << name;
    EXPECT_TRUE(name.ends_with(".raw")) << name;
    ASSERT_EQ(source.sampleCount(), 40000);
    EXPECT_EQ(fs::file_size(source.fileURL()), 4u * 40000u);
    const auto read = allSamples(source);
    for (std::size_t i = 0; i < samples.size(); ++i) ASSERT_NEAR(read[i], samples[i], 1.0 / 32767) << i;
    EXPECT_GE(loadDuration, 0.0);
    EXPECT_TRUE(capture.contains("Streaming conversion 16000.0Hz×1ch → 16000.0Hz×1ch"));
    EXPECT_TRUE(capture.contains("Streaming audio temp file size=160000 bytes"));
    EXPECT_TRUE(capture.contains("Streaming audio total samples=40000"));
    source.cleanup();
    EXPECT_TRUE(temporaryFiles().empty());
}

TEST_F(AudioSourceFactoryTest, StereoFileIsMixedAndResampled) {
    // Long enough for several 16,384-frame input blocks.
    constexpr std::size_t frames = 96000;
    std::vector<float> interleaved(2 * frames);
    for (std::size_t f = 0; f < frames; ++f) {
        interleaved[2 * f] = static_cast<float>(0.5 * std::sin(2 * M_PI * 500 * f / 48000.0));
        interleaved[2 * f + 1] = interleaved[2 * f];
    }
    const auto result = AudioSourceFactory().makeDiskBackedSource(writeWav("stereo.wav", interleaved, 48000, 2), 16000);
    EXPECT_NEAR(static_cast<double>(result.source.sampleCount()), 32000.0, 2.0);
    const auto samples = allSamples(result.source);
    for (std::size_t i = 1000; i < 31000; i += 997) {
        ASSERT_NEAR(samples[i], 0.5 * std::sin(2 * M_PI * 500 * i / 16000.0), 0.01) << i;
    }
    result.source.cleanup();
}

TEST_F(AudioSourceFactoryTest, EmptyFileGivesAnEmptySource) {
    const auto result = AudioSourceFactory().makeDiskBackedSource(writeWav("empty.wav", {}, 44100, 1), 16000);
    EXPECT_EQ(result.source.sampleCount(), 0);
    EXPECT_EQ(fs::file_size(result.source.fileURL()), 0u);
    float untouched = 7;
    result.source.copySamples(&untouched, 0, 1);
    EXPECT_EQ(untouched, 7);
    EXPECT_GE(result.loadDuration, 0.0);
    result.source.cleanup();
}

TEST_F(AudioSourceFactoryTest, EverySourceGetsItsOwnFile) {
    const auto path = writeWav("short.wav", std::vector<float>(100, 0.1f), 16000, 1);
    const AudioSourceFactory factory;
    const auto first = factory.makeDiskBackedSource(path, 16000);
    const auto second = factory.makeDiskBackedSource(path, 16000);
    EXPECT_NE(first.source.fileURL(), second.source.fileURL());
    EXPECT_EQ(temporaryFiles().size(), 2u);
    first.source.cleanup();
    second.source.cleanup();
}

void expectProcessingFailed(const std::function<void()>& call, const std::string& prefix) {
    try {
        call();
        ADD_FAILURE() << "expected " << prefix;
    } catch (const AudioSourceError& error) {
        EXPECT_TRUE(error.description().starts_with("Processing failed: " + prefix)) << error.description();
    }
}

TEST_F(AudioSourceFactoryTest, FailuresAreProcessingFailedAndLeaveNoFileBehind) {
    platform::ScopedLogCapture capture;
    const AudioSourceFactory factory;
    expectProcessingFailed([&] { factory.makeDiskBackedSource(folder / "missing.wav", 16000); },
                           "Streaming audio source creation failed: ");
    EXPECT_TRUE(capture.contains("Streaming audio source creation failed: "));

    const auto path = writeWav("tone.wav", std::vector<float>(100, 0.1f), 16000, 1);
    expectProcessingFailed([&] { factory.makeDiskBackedSource(path, 0); }, "Unsupported target sample rate 0");
    EXPECT_TRUE(temporaryFiles().empty());

    environment.set("TMPDIR", "/proc");
    expectProcessingFailed([&] { factory.makeDiskBackedSource(path, 16000); },
                           "Failed to create temporary audio buffer at /proc/razeziruzer-streaming-");
}

TEST_F(AudioSourceFactoryTest, FailedWriteRemovesTheTemporaryFile) {
    const auto path = writeWav("long.wav", std::vector<float>(50000, 0.1f), 16000, 1);
    // Files may not grow beyond 64 KiB while the factory writes 200 KB.
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit limited = previous;
    limited.rlim_cur = 65536;
    setrlimit(RLIMIT_FSIZE, &limited);
    platform::ScopedLogCapture capture;
    expectProcessingFailed([&] { AudioSourceFactory().makeDiskBackedSource(path, 16000); },
                           "Streaming audio source creation failed: Cannot write");
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_TRUE(capture.contains("Streaming conversion failed before file mapping: "));
    EXPECT_TRUE(temporaryFiles().empty());
}

} // namespace
} // namespace razeziruzer
