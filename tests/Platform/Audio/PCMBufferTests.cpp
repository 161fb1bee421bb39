#include "Platform/Audio/AudioError.hpp"
#include "Platform/Audio/PCMBuffer.hpp"

#include <gtest/gtest.h>

namespace {

using namespace platform::audio;

TEST(PCMBuffer, NonInterleavedFloatHasOneZeroedBlockPerChannel) {
    auto buffer = *PCMBuffer::make(*AudioFormat::standard(48000, 3), 100);
    EXPECT_EQ(buffer.frameCapacity(), 100u);
    EXPECT_EQ(buffer.frameLength(), 0u);
    EXPECT_EQ(buffer.stride(), 1u);
    ASSERT_NE(buffer.floatChannelData(2), nullptr);
    EXPECT_EQ(buffer.floatChannelData(3), nullptr);
    EXPECT_EQ(buffer.int16ChannelData(0), nullptr);
    buffer.floatChannelData(1)[99] = 0.25f;
    EXPECT_EQ(buffer.floatChannelData(2)[0], 0.0f);
    EXPECT_EQ(buffer.floatChannelData(0)[99], 0.0f);

    buffer.setFrameLength(100);
    EXPECT_EQ(buffer.floatChannel(1).size(), 100u);
    EXPECT_EQ(buffer.floatChannel(1)[99], 0.25f);
}

TEST(PCMBuffer, InterleavedInt16SharesOneBlockWithChannelStride) {
    auto buffer = *PCMBuffer::make(*AudioFormat::make(CommonFormat::pcmFormatInt16, 16000, 2, true), 10);
    EXPECT_EQ(buffer.stride(), 2u);
    EXPECT_NE(buffer.int16ChannelData(0), nullptr);
    EXPECT_EQ(buffer.int16ChannelData(1), nullptr);
    EXPECT_EQ(buffer.floatChannelData(0), nullptr);
    buffer.setFrameLength(4);
    EXPECT_TRUE(buffer.floatChannel(0).empty());
}

TEST(PCMBuffer, FrameLengthBeyondCapacityIsRefused) {
    auto buffer = *PCMBuffer::make(AudioFormat::standard(), 8);
    EXPECT_THROW(buffer.setFrameLength(9), AudioError);
    EXPECT_EQ(buffer.frameLength(), 0u);
}

TEST(PCMBuffer, NoBufferForEncodingsWithoutSamples) {
    EXPECT_FALSE(PCMBuffer::make(*AudioFormat::make(CommonFormat::otherFormat, 44100, 2, true), 8));
}

} // namespace
