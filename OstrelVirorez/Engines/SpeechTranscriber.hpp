#pragma once
// The system analyzer's transcription module for one locale. Its results
// form a sequence that the analyzer fills while it runs and that ends once
// the analysis is finished or cancelled.

#include <optional>
#include <string>

namespace ostrelvirorez {

enum class SpeechTranscriberPreset { transcription };

class SpeechTranscriber {
public:
    virtual ~SpeechTranscriber() = default;

    // Blocks for the text of the next result; absent once the sequence has
    // ended. Throws the platform's error when the results fail.
    virtual std::optional<std::string> nextResult() = 0;
};

} // namespace ostrelvirorez
