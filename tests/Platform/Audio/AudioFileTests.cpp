#include "Platform/Audio/AudioError.hpp"
#include "Platform/Audio/AudioFile.hpp"
#include "tests/Platform/Audio/AudioFixtures.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <sndfile.h>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace platform::audio;

struct Encoding {
    const char* name;
    int format;
    float tolerance;
};

class AudioFileReading : public ::testing::TestWithParam<Encoding> {};

// Reads the whole file in chunks that do not divide its length, as callers do.
std::vector<float> readInterleaved(AudioFile& file, std::uint32_t chunk) {
    auto buffer = *PCMBuffer::make(file.processingFormat(), chunk);
    const std::uint32_t channels = file.processingFormat().channelCount();
    std::vector<float> samples;
    while (file.framePosition() < file.length()) {
        file.read(buffer);
        if (buffer.frameLength() == 0) {
            break;
        }
        for (std::uint32_t f = 0; f < buffer.frameLength(); ++f) {
            for (std::uint32_t c = 0; c < channels; ++c) {
                samples.push_back(buffer.floatChannelData(c)[f]);
            }
        }
    }
    return samples;
}

TEST_P(AudioFileReading, ReadsEveryFrameOfEveryChannelInChunks) {
    const testsupport::TemporaryDirectory folder;
    const auto path = folder / (std::string("tone.") + GetParam().name);
    const auto original = audiotest::sine(440, 22050, 10000, 2);
    audiotest::writeSoundFile(path, original, 22050, 2, GetParam().format);

    AudioFile file(path);
    EXPECT_EQ(file.processingFormat(), *AudioFormat::standard(22050, 2));
    EXPECT_EQ(file.fileFormat().sampleRate(), 22050.0);
    EXPECT_EQ(file.fileFormat().channelCount(), 2u);
    EXPECT_EQ(file.length(), 10000);

    const auto samples = readInterleaved(file, 4096);
    EXPECT_EQ(file.framePosition(), 10000);
    ASSERT_EQ(samples.size(), original.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        ASSERT_NEAR(samples[i], original[i], GetParam().tolerance) << "sample " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Encodings, AudioFileReading,
                         ::testing::Values(Encoding{"wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 0.0f},
                                           Encoding{"flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1.0f / 32767},
                                           Encoding{"aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 1.0f / 8388607}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AudioFile, FileFormatNamesTheEncodingOnDisk) {
    const testsupport::TemporaryDirectory folder;
    const auto tone = audiotest::sine(100, 8000, 100);
    audiotest::writeSoundFile(folder / "a.wav", tone, 8000, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    audiotest::writeSoundFile(folder / "b.aiff", tone, 8000, 1, SF_FORMAT_AIFF | SF_FORMAT_PCM_24);
    EXPECT_EQ(AudioFile(folder / "a.wav").fileFormat().commonFormat(), CommonFormat::pcmFormatInt16);
    EXPECT_EQ(AudioFile(folder / "b.aiff").fileFormat().commonFormat(), CommonFormat::otherFormat);
}

TEST(AudioFile, SeekingMovesTheReadPositionAndPastTheEndReadsNothing) {
    const testsupport::TemporaryDirectory folder;
    std::vector<float> ramp(1000);
    for (std::size_t i = 0; i < ramp.size(); ++i) {
        ramp[i] = static_cast<float>(i) / 1000.0f;
    }
    audiotest::writeSoundFile(folder / "ramp.wav", ramp, 16000, 1, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    AudioFile file(folder / "ramp.wav");
    auto buffer = *PCMBuffer::make(file.processingFormat(), 64);

    file.setFramePosition(990);
    file.read(buffer);
    ASSERT_EQ(buffer.frameLength(), 10u);
    EXPECT_EQ(buffer.floatChannelData(0)[0], ramp[990]);
    EXPECT_EQ(file.framePosition(), 1000);

    file.setFramePosition(10);
    file.read(buffer, 5);
    ASSERT_EQ(buffer.frameLength(), 5u);
    EXPECT_EQ(buffer.floatChannelData(0)[4], ramp[14]);

    file.setFramePosition(5000);
    file.read(buffer);
    EXPECT_EQ(buffer.frameLength(), 0u);
    EXPECT_THROW(file.setFramePosition(-1), AudioError);
}

TEST(AudioFile, ReadRefusesBuffersThatDoNotFit) {
    const testsupport::TemporaryDirectory folder;
    audiotest::writeSoundFile(folder / "s.wav", audiotest::sine(100, 8000, 100, 2), 8000, 2,
                              SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    AudioFile file(folder / "s.wav");
    auto mono = *PCMBuffer::make(*AudioFormat::standard(8000, 1), 100);
    auto stereo = *PCMBuffer::make(file.processingFormat(), 10);
    const auto kindOf = [](auto&& call) {
        try {
            call();
        } catch (const AudioError& error) {
            return error.kind();
        }
        return AudioErrorKind::conversionFailed;
    };
    EXPECT_EQ(kindOf([&] { file.read(mono); }), AudioErrorKind::formatMismatch);
    EXPECT_EQ(kindOf([&] { file.read(stereo, 11); }), AudioErrorKind::invalidArgument);
    EXPECT_EQ(file.framePosition(), 0);
}

TEST(AudioFile, DataCutShortReadsTheFramesThatArePresent) {
    const testsupport::TemporaryDirectory folder;
    audiotest::writeSoundFile(folder / "full.wav", std::vector<float>(1000, 0.25f), 16000, 1,
                              SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    std::ifstream in(folder / "full.wav", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    const auto dataStart = bytes.find("data") + 8;
    folder.write("cut.wav", bytes.substr(0, dataStart + 2 * 600 + 1));

    AudioFile file(folder / "cut.wav");
    const auto samples = readInterleaved(file, 256);
    EXPECT_EQ(samples.size(), 600u);
    EXPECT_EQ(samples.back(), 0.25f);
}

struct BadFile {
    const char* name;
    AudioErrorKind kind;
};

class AudioFileOpening : public ::testing::TestWithParam<BadFile> {};

TEST_P(AudioFileOpening, FailsWithAClearKindNamingThePath) {
    const testsupport::TemporaryDirectory folder;
    audiotest::writeSoundFile(folder / "good.wav", audiotest::sine(100, 8000, 800), 8000, 1,
                              SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    std::string good;
    {
        std::ifstream in(folder / "good.wav", std::ios::binary);
        good.assign(std::istreambuf_iterator<char>(in), {});
    }
    folder.write("garbage.wav", std::string(2000, '\x5a'));
    folder.write("truncated.wav", good.substr(0, 20));
    folder.write("empty.wav", "");
    folder.write("text.flac", "this is not a sound file at all, only words\n");
    std::filesystem::create_directory(folder / "folder.wav");

    const auto path = folder / GetParam().name;
    try {
        AudioFile file(path);
        FAIL() << "opened " << path;
    } catch (const AudioError& error) {
        EXPECT_EQ(error.kind(), GetParam().kind);
        EXPECT_NE(error.description().find(path.string()), std::string::npos) << error.description();
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, AudioFileOpening,
                         ::testing::Values(BadFile{"missing.wav", AudioErrorKind::fileNotFound},
                                           BadFile{"garbage.wav", AudioErrorKind::invalidFile},
                                           BadFile{"truncated.wav", AudioErrorKind::invalidFile},
                                           BadFile{"empty.wav", AudioErrorKind::invalidFile},
                                           BadFile{"text.flac", AudioErrorKind::invalidFile},
                                           BadFile{"folder.wav", AudioErrorKind::cannotOpenFile}),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             return name.substr(0, name.find('.'));
                         });

} // namespace
