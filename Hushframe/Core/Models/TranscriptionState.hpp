#pragma once
// The coarse phase of a file transcription, as reported to the state callback.

#include <string_view>

namespace hushframe {

enum class TranscriptionState { convertingAudio, transcribing, finished };

// "Converting Audio", "Transcribing", "Finished".
std::string_view description(TranscriptionState state);

} // namespace hushframe
