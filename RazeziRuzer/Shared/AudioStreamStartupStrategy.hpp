#pragma once
// What an AudioStream delivers before a full chunk has arrived: a first chunk
// led by silence, chunks growing by one skip at a time, or nothing.

namespace razeziruzer {

enum class AudioStreamStartupStrategy { startSilent, rampUpChunkSize, waitForFullChunk };

} // namespace razeziruzer
