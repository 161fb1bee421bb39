#pragma once
// The system speech analyzer over a set of modules: it consumes an input
// sequence, feeds its modules' results, and is ended either by finalizing
// through the last sample or by cancelling. After either end the modules'
// result sequences end.

#include <optional>

namespace ostrelvirorez {

class AnalyzerInputStream;

struct SpeechAnalyzerOptions {
    enum class Priority { userInitiated };
    enum class ModelRetention { processLifetime };

    Priority priority = Priority::userInitiated;
    ModelRetention modelRetention = ModelRetention::processLifetime;

    friend bool operator==(const SpeechAnalyzerOptions&, const SpeechAnalyzerOptions&) = default;
};

class SpeechAnalyzer {
public:
    virtual ~SpeechAnalyzer() = default;

    // Consumes the sequence to its end; the time of the last sample in
    // seconds, or absent. Throws the platform's error.
    virtual std::optional<double> analyzeSequence(AnalyzerInputStream& inputs) = 0;
    // Throws the platform's error.
    virtual void finalizeAndFinish(double through) = 0;
    virtual void cancelAndFinishNow() = 0;
};

} // namespace ostrelvirorez
