#pragma once
// The components the main object supplies when its configuration names none.
// The audio processor is the front end's AudioProcessor; the mel and encoder
// stages hold and run their model; the text decoder, segment seeker and
// transcription task are the decoding core's (Hushframe/Decoding).

#include "Hushframe/Core/AudioEncoding.hpp"
#include "Hushframe/Core/AudioProcessing.hpp"
#include "Hushframe/Core/FeatureExtracting.hpp"
#include "Hushframe/Core/Progress.hpp"
#include "Hushframe/Core/SegmentSeeking.hpp"
#include "Hushframe/Core/TextDecoding.hpp"
#include "Hushframe/Core/TranscribeTask.hpp"
#include "Hushframe/Core/Models/TranscriptionTimings.hpp"

#include <memory>

namespace hushframe {

struct DefaultComponents {
    DefaultComponents() = delete;

    static std::shared_ptr<AudioProcessing> audioProcessor();
    static std::shared_ptr<FeatureExtracting> featureExtractor();
    static std::shared_ptr<AudioEncoding> audioEncoder();
    static std::shared_ptr<TextDecoding> textDecoder();
    static std::shared_ptr<SegmentSeeking> segmentSeeker();

    static std::unique_ptr<TranscribeTask> transcribeTask(
        const TranscriptionTimings& currentTimings, std::shared_ptr<Progress> progress,
        std::shared_ptr<AudioProcessing> audioProcessor, std::shared_ptr<AudioEncoding> audioEncoder,
        std::shared_ptr<FeatureExtracting> featureExtractor, std::shared_ptr<SegmentSeeking> segmentSeeker,
        std::shared_ptr<TextDecoding> textDecoder, std::shared_ptr<WhisperTokenizer> tokenizer);
};

} // namespace hushframe
