#include "Platform/Audio/AudioConverter.hpp"
#include "Platform/Audio/SampleCopy.hpp"
#include "tests/Platform/Audio/AudioFixtures.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace platform::audio;
using Status = AudioConverterOutputStatus;
using InputStatus = AudioConverterInputStatus;

PCMBuffer bufferOf(const AudioFormat& format, const std::vector<float>& interleaved) {
    const auto frames = static_cast<std::uint32_t>(interleaved.size() / format.channelCount());
    auto buffer = *PCMBuffer::make(format, frames);
    writeInterleavedFloat(buffer, 0, interleaved.data(), frames, format.channelCount());
    buffer.setFrameLength(frames);
    return buffer;
}

std::vector<float> interleavedOf(const PCMBuffer& buffer) {
    std::vector<float> samples(std::size_t{buffer.frameLength()} * buffer.format().channelCount());
    readInterleavedFloat(buffer, 0, buffer.frameLength(), samples.data());
    return samples;
}

// Hands out the source in chunks of irregular sizes, answering "no data now"
// before every other chunk, then reports the end of the stream.
class ChunkedSource {
public:
    ChunkedSource(const AudioFormat& format, std::vector<float> interleaved)
        : format_(format), samples_(std::move(interleaved)) {}

    const PCMBuffer* next(std::uint32_t, InputStatus& status) {
        const std::uint32_t channels = format_.channelCount();
        const std::size_t left = samples_.size() / channels - position_;
        if (left == 0) {
            status = InputStatus::endOfStream;
            return nullptr;
        }
        if (++calls_ % 2 == 0) {
            status = InputStatus::noDataNow;
            return nullptr;
        }
        static constexpr std::uint32_t sizes[] = {1, 777, 4096, 3, 10007, 512};
        const auto frames = static_cast<std::uint32_t>(std::min<std::size_t>(sizes[calls_ % 6], left));
        chunk_ = bufferOf(format_, std::vector<float>(samples_.begin() + position_ * channels,
                                                      samples_.begin() + (position_ + frames) * channels));
        position_ += frames;
        status = InputStatus::haveData;
        return &*chunk_;
    }

private:
    AudioFormat format_;
    std::vector<float> samples_;
    std::size_t position_ = 0;
    int calls_ = 0;
    std::optional<PCMBuffer> chunk_;
};

// Runs the stream to its end through an output buffer of `capacity` frames,
// counting how often the input ran dry.
std::vector<float> convertStreaming(AudioConverter& converter, ChunkedSource& source, std::uint32_t capacity,
                                    int* dryRuns = nullptr) {
    auto output = *PCMBuffer::make(converter.outputFormat(), capacity);
    const AudioConverterInputBlock input = [&](std::uint32_t packets, InputStatus& status) {
        return source.next(packets, status);
    };
    std::vector<float> result;
    for (;;) {
        std::optional<AudioError> error;
        const Status status = converter.convert(output, input, &error);
        EXPECT_NE(status, Status::error) << (error ? error->description() : "");
        if (status == Status::error) {
            return result;
        }
        const auto frames = interleavedOf(output);
        result.insert(result.end(), frames.begin(), frames.end());
        if (status == Status::inputRanDry && dryRuns) {
            ++*dryRuns;
        }
        if (status == Status::endOfStream) {
            EXPECT_EQ(output.frameLength(), 0u);
            return result;
        }
    }
}


class AudioConverterResampling : public ::testing::TestWithParam<double> {};

TEST_P(AudioConverterResampling, StereoToSixteenKilohertzMonoKeepsLengthFrequenciesAndTail) {
    const double inRate = GetParam();
    const std::size_t inFrames = static_cast<std::size_t>(inRate * 1.5) + 17;
    const auto inFormat = *AudioFormat::standard(inRate, 2);
    // Left 440 Hz, right 880 Hz, each at amplitude 0.5; the mono mix holds both at 0.25.
    const auto stereo = audiotest::sine(440, inRate, inFrames, 2, 0.5f);

    auto converter = AudioConverter::make(inFormat, AudioFormat::standard());
    ASSERT_TRUE(converter);
    ChunkedSource source(inFormat, stereo);
    int dryRuns = 0;
    const auto mono = convertStreaming(*converter, source, 1000, &dryRuns);
    EXPECT_GT(dryRuns, 0);

    const double expected = std::round(static_cast<double>(inFrames) * 16000 / inRate);
    EXPECT_NEAR(static_cast<double>(mono.size()), expected, 1.0);

    // Amplitude A shows as A/2 in the DFT magnitude; 1 kHz carries nothing.
    EXPECT_NEAR(audiotest::dftMagnitude(mono, 16000, 440), 0.125, 0.01);
    EXPECT_NEAR(audiotest::dftMagnitude(mono, 16000, 880), 0.125, 0.01);
    EXPECT_LT(audiotest::dftMagnitude(mono, 16000, 1000), 0.01);

    // The tail is signal, not silence: the resampler was flushed.
    float tailPeak = 0;
    for (std::size_t i = mono.size() - 20; i < mono.size(); ++i) {
        tailPeak = std::max(tailPeak, std::abs(mono[i]));
    }
    EXPECT_GT(tailPeak, 0.1f);

    // Streaming in irregular pieces gives the same audio as converting the whole buffer at once.
    const auto whole = interleavedOf(AudioConverter::convertAll(bufferOf(inFormat, stereo), AudioFormat::standard()));
    ASSERT_EQ(whole.size(), mono.size());
    for (std::size_t i = 0; i < whole.size(); ++i) {
        ASSERT_NEAR(whole[i], mono[i], 1e-5) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, AudioConverterResampling, ::testing::Values(44100.0, 48000.0),
                         [](const auto& info) { return std::to_string(static_cast<int>(info.param)); });

TEST(AudioConverter, UpsamplingTriplesTheLength) {
    const auto input = bufferOf(AudioFormat::standard(), audiotest::sine(300, 16000, 1601));
    const auto output = AudioConverter::convertAll(input, *AudioFormat::standard(48000, 1));
    EXPECT_NEAR(output.frameLength(), 4803.0, 1.0);
    EXPECT_NEAR(audiotest::dftMagnitude(interleavedOf(output), 48000, 300), 0.25, 0.01);
}

TEST(AudioConverter, SameRateMonoPassesThroughUnchangedStreamingOrWhole) {
    const auto samples = audiotest::sine(123, 16000, 5000, 1, 0.7f);
    const auto whole = AudioConverter::convertAll(bufferOf(AudioFormat::standard(), samples), AudioFormat::standard());
    EXPECT_EQ(interleavedOf(whole), samples);

    auto converter = AudioConverter::make(AudioFormat::standard(), AudioFormat::standard());
    ChunkedSource source(AudioFormat::standard(), samples);
    EXPECT_EQ(convertStreaming(*converter, source, 333), samples);
}

TEST(AudioConverter, ChannelsAreAveragedDownAndRepeatedUp) {
    const std::vector<float> six = {0.6f, 0.0f, -0.3f, 0.3f, 0.9f, 0.3f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, -1.0f};
    const std::vector<float> four = {0.1f, 0.2f, 0.3f, 0.4f};
    const std::vector<float> mono = {0.5f, -0.25f};
    struct Case {
        std::uint32_t in;
        std::uint32_t out;
        std::vector<float> input;
        std::vector<float> expected;
    };
    const std::vector<Case> cases = {
        {6, 1, six, {0.3f, 4.0f / 6.0f}},
        {4, 2, four, {0.2f, 0.3f}},
        {4, 3, four, {0.25f, 0.2f, 0.3f}},
        {1, 2, mono, {0.5f, 0.5f, -0.25f, -0.25f}},
        {2, 3, {0.1f, 0.2f}, {0.1f, 0.2f, 0.1f}},
    };
    for (const auto& c : cases) {
        const auto input = bufferOf(*AudioFormat::standard(8000, c.in), c.input);
        const auto output = interleavedOf(AudioConverter::convertAll(input, *AudioFormat::standard(8000, c.out)));
        ASSERT_EQ(output.size(), c.expected.size()) << c.in << "->" << c.out;
        for (std::size_t i = 0; i < output.size(); ++i) {
            EXPECT_NEAR(output[i], c.expected[i], 1e-6) << c.in << "->" << c.out << " at " << i;
        }
    }
}

TEST(AudioConverter, ConvertsBetweenInt16InterleavedAndFloat) {
    const auto int16Stereo = *AudioFormat::make(CommonFormat::pcmFormatInt16, 8000, 2, true);
    auto input = *PCMBuffer::make(int16Stereo, 2);
    const std::int16_t values[] = {16384, -32768, 32767, 1};
    std::copy(std::begin(values), std::end(values), input.int16ChannelData(0));
    input.setFrameLength(2);

    const auto asFloat = AudioConverter::convertAll(input, *AudioFormat::standard(8000, 2));
    EXPECT_EQ(asFloat.floatChannelData(0)[0], 0.5f);
    EXPECT_EQ(asFloat.floatChannelData(1)[0], -1.0f);
    EXPECT_EQ(asFloat.floatChannelData(0)[1], 32767.0f / 32768);

    const auto back = AudioConverter::convertAll(asFloat, int16Stereo);
    EXPECT_TRUE(std::equal(std::begin(values), std::end(values), back.int16ChannelData(0)));

    auto loud = bufferOf(*AudioFormat::standard(8000, 1), {2.0f, -2.0f, std::nanf("")});
    const auto clipped =
        AudioConverter::convertAll(loud, *AudioFormat::make(CommonFormat::pcmFormatInt16, 8000, 1, false));
    EXPECT_EQ(clipped.int16ChannelData(0)[0], 32767);
    EXPECT_EQ(clipped.int16ChannelData(0)[1], -32768);
    EXPECT_EQ(clipped.int16ChannelData(0)[2], 0);
}

TEST(AudioConverter, EndOfStreamStaysEndedUntilReset) {
    auto converter = AudioConverter::make(*AudioFormat::standard(48000, 1), AudioFormat::standard());
    const auto input = bufferOf(*AudioFormat::standard(48000, 1), audiotest::sine(200, 48000, 4800));
    auto output = *PCMBuffer::make(AudioFormat::standard(), 4096);
    bool given = false;
    const AudioConverterInputBlock once = [&](std::uint32_t, InputStatus& status) -> const PCMBuffer* {
        status = given ? InputStatus::endOfStream : InputStatus::haveData;
        return std::exchange(given, true) ? nullptr : &input;
    };
    EXPECT_EQ(converter->convert(output, once), Status::haveData);
    EXPECT_NEAR(output.frameLength(), 1600.0, 1.0);
    EXPECT_EQ(converter->convert(output, once), Status::endOfStream);
    EXPECT_EQ(converter->convert(output, once), Status::endOfStream);

    converter->reset();
    given = false;
    EXPECT_EQ(converter->convert(output, once), Status::haveData);
    EXPECT_NEAR(output.frameLength(), 1600.0, 1.0);
}

TEST(AudioConverter, WrongBuffersReportTheErrorStatusWithACause) {
    const auto stereo = *AudioFormat::standard(48000, 2);
    auto converter = AudioConverter::make(stereo, AudioFormat::standard());
    auto output = *PCMBuffer::make(AudioFormat::standard(), 100);
    auto wrongOutput = *PCMBuffer::make(stereo, 100);
    const auto mono = bufferOf(*AudioFormat::standard(48000, 1), std::vector<float>(10, 0.1f));
    const AudioConverterInputBlock wrongInput = [&](std::uint32_t, InputStatus& status) -> const PCMBuffer* {
        status = InputStatus::haveData;
        return &mono;
    };
    const AudioConverterInputBlock missingInput = [](std::uint32_t, InputStatus& status) -> const PCMBuffer* {
        status = InputStatus::haveData;
        return nullptr;
    };
    const struct {
        PCMBuffer* output;
        const AudioConverterInputBlock* input;
        AudioErrorKind kind;
    } cases[] = {
        {&wrongOutput, &wrongInput, AudioErrorKind::formatMismatch},
        {&output, &wrongInput, AudioErrorKind::formatMismatch},
        {&output, &missingInput, AudioErrorKind::conversionFailed},
    };
    for (const auto& c : cases) {
        std::optional<AudioError> error;
        EXPECT_EQ(converter->convert(*c.output, *c.input, &error), Status::error);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->kind(), c.kind) << error->description();
    }
}

TEST(AudioConverter, EncodingsWithoutSamplesCannotBeConverted) {
    const auto other = *AudioFormat::make(CommonFormat::otherFormat, 44100, 2, true);
    EXPECT_FALSE(AudioConverter::make(other, AudioFormat::standard()));
    EXPECT_FALSE(AudioConverter::make(AudioFormat::standard(), other));
}

TEST(AudioConverter, EmptyInputConvertsToAnEmptyBuffer) {
    const auto empty = *PCMBuffer::make(*AudioFormat::standard(44100, 2), 0);
    const auto output = AudioConverter::convertAll(empty, AudioFormat::standard());
    EXPECT_EQ(output.frameLength(), 0u);
    EXPECT_EQ(output.format(), AudioFormat::standard());
}

} // namespace
