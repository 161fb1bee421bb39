#pragma once
// How an AudioStream cuts chunks: exactly skipSize samples apart, or always
// the newest samples.

namespace razeziruzer {

enum class AudioStreamChunkingStrategy { useFixedSkip, useMostRecent };

} // namespace razeziruzer
