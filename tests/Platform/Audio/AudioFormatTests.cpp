#include "Platform/Audio/AudioFormat.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using platform::audio::AudioFormat;
using platform::audio::CommonFormat;

TEST(AudioFormat, StandardIsSixteenKilohertzMonoFloatNotInterleaved) {
    const AudioFormat format = AudioFormat::standard();
    EXPECT_EQ(format.commonFormat(), CommonFormat::pcmFormatFloat32);
    EXPECT_EQ(format.sampleRate(), 16000.0);
    EXPECT_EQ(format.channelCount(), 1u);
    EXPECT_FALSE(format.isInterleaved());
    EXPECT_EQ(format, *AudioFormat::standard(16000, 1));
}

TEST(AudioFormat, RefusesRatesThatAreNotPositiveNumbersAndZeroChannels) {
    for (double rate : {0.0, -16000.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
        EXPECT_FALSE(AudioFormat::standard(rate, 1)) << rate;
    }
    EXPECT_FALSE(AudioFormat::standard(16000, 0));
    EXPECT_TRUE(AudioFormat::standard(16000, 6));
}

TEST(AudioFormat, EqualOnlyWhenRateChannelsEncodingAndLayoutAllMatch) {
    const auto base = *AudioFormat::make(CommonFormat::pcmFormatFloat32, 48000, 2, false);
    EXPECT_EQ(base, *AudioFormat::make(CommonFormat::pcmFormatFloat32, 48000, 2, false));
    EXPECT_NE(base, *AudioFormat::make(CommonFormat::pcmFormatFloat32, 44100, 2, false));
    EXPECT_NE(base, *AudioFormat::make(CommonFormat::pcmFormatFloat32, 48000, 1, false));
    EXPECT_NE(base, *AudioFormat::make(CommonFormat::pcmFormatInt16, 48000, 2, false));
    EXPECT_NE(base, *AudioFormat::make(CommonFormat::pcmFormatFloat32, 48000, 2, true));
}

TEST(AudioFormat, BytesPerFrameCountsOneDataBlock) {
    EXPECT_EQ(AudioFormat::make(CommonFormat::pcmFormatInt16, 8000, 2, true)->bytesPerFrame(), 4u);
    EXPECT_EQ(AudioFormat::make(CommonFormat::pcmFormatFloat32, 8000, 2, true)->bytesPerFrame(), 8u);
    EXPECT_EQ(AudioFormat::make(CommonFormat::pcmFormatFloat32, 8000, 2, false)->bytesPerFrame(), 4u);
}

} // namespace
