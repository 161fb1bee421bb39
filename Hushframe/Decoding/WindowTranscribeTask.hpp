#pragma once
// One transcription of one audio array, window by window: each window is
// padded to the model window, turned into features and encoder embeddings,
// decoded with temperature fallback, cut into timed segments that decide the
// next window's start, and reported. The task owns no model; it drives the
// stages it is given, one run at a time, and keeps adding to its timings and
// progress across runs.

#include "Hushframe/Core/AudioEncoding.hpp"
#include "Hushframe/Core/AudioProcessing.hpp"
#include "Hushframe/Core/FeatureExtracting.hpp"
#include "Hushframe/Core/Progress.hpp"
#include "Hushframe/Core/SegmentSeeking.hpp"
#include "Hushframe/Core/TextDecoding.hpp"
#include "Hushframe/Core/TranscribeTask.hpp"

#include <memory>
#include <optional>
#include <string>

namespace hushframe {

class WindowTranscribeTask : public TranscribeTask {
public:
    // A fresh progress object and audio processor stand in for absent ones.
    WindowTranscribeTask(const TranscriptionTimings& currentTimings, std::shared_ptr<Progress> progress,
                         std::shared_ptr<AudioProcessing> audioProcessor, std::shared_ptr<AudioEncoding> audioEncoder,
                         std::shared_ptr<FeatureExtracting> featureExtractor,
                         std::shared_ptr<SegmentSeeking> segmentSeeker, std::shared_ptr<TextDecoding> textDecoder,
                         std::shared_ptr<WhisperTokenizer> tokenizer);

    std::shared_ptr<TranscriptionResult> run(const std::vector<float>& audioArray,
                                             const std::optional<DecodingOptions>& decodeOptions,
                                             const TranscriptionCallback& callback) override;

    const TranscriptionTimings& timings() const { return timings_; }
    void setTimings(const TranscriptionTimings& timings) { timings_ = timings; }
    const std::shared_ptr<Progress>& progress() const { return progress_; }

    // Hooks for subclasses: called with each padded window before feature
    // extraction, and with each window's segments (the kept ones are returned).
    virtual void windowPreprocess(const AudioProcessorOutputType& window, std::int64_t seek, std::int64_t segmentSize);
    virtual std::vector<TranscriptionSegment> windowPostProcess(std::int64_t seek, std::int64_t segmentSize,
                                                                std::vector<TranscriptionSegment> originalSegments);

    // The text decoded from the text tokens (whitespace trimmed, line breaks
    // kept), the segments, the language ("en" when none) and the timings.
    std::shared_ptr<TranscriptionResult> finalizeTranscriptionResult(const std::vector<int>& tokens,
                                                                     std::vector<TranscriptionSegment> segments,
                                                                     const std::optional<std::string>& language,
                                                                     const TranscriptionTimings& timings) const;

private:
    struct RunState;

    DecodingResult decodeWithFallback(const AudioEncoderOutputType& encoderSegment,
                                      const DecodingOptions& decodingOptions,
                                      std::shared_ptr<DecodingInputsType>& decoderInputs,
                                      std::optional<std::string>& detectedLanguage,
                                      const TranscriptionCallback& callback);
    std::int64_t decodeWindow(RunState& state, std::int64_t seek, std::int64_t clipEnd, std::int64_t windowLength,
                              const TranscriptionCallback& callback);
    // The tokens' vocabulary strings, quoted, for the debug log.
    std::string tokenList(const std::vector<int>& tokens) const;

    TranscriptionTimings timings_;
    std::shared_ptr<Progress> progress_;
    std::shared_ptr<AudioEncoding> audioEncoder_;
    std::shared_ptr<FeatureExtracting> featureExtractor_;
    std::shared_ptr<SegmentSeeking> segmentSeeker_;
    std::shared_ptr<TextDecoding> textDecoder_;
    std::shared_ptr<AudioProcessing> audioProcessor_;
    std::shared_ptr<WhisperTokenizer> tokenizer_;
};

} // namespace hushframe
