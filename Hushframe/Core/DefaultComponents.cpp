#include "Hushframe/Core/DefaultComponents.hpp"

#include "Hushframe/Audio/AudioProcessor.hpp"
#include "Hushframe/Decoding/SegmentSeeker.hpp"
#include "Hushframe/Decoding/TextDecoder.hpp"
#include "Hushframe/Decoding/WindowTranscribeTask.hpp"
#include "Hushframe/Models/AudioEncoder.hpp"
#include "Hushframe/Models/FeatureExtractor.hpp"

namespace hushframe {

std::shared_ptr<AudioProcessing> DefaultComponents::audioProcessor() { return std::make_shared<AudioProcessor>(); }

std::shared_ptr<FeatureExtracting> DefaultComponents::featureExtractor() {
    return std::make_shared<FeatureExtractor>();
}

std::shared_ptr<AudioEncoding> DefaultComponents::audioEncoder() { return std::make_shared<AudioEncoder>(); }

std::shared_ptr<TextDecoding> DefaultComponents::textDecoder() { return std::make_shared<TextDecoder>(); }

std::shared_ptr<SegmentSeeking> DefaultComponents::segmentSeeker() { return std::make_shared<SegmentSeeker>(); }

std::unique_ptr<TranscribeTask> DefaultComponents::transcribeTask(
    const TranscriptionTimings& currentTimings, std::shared_ptr<Progress> progress,
    std::shared_ptr<AudioProcessing> audioProcessor, std::shared_ptr<AudioEncoding> audioEncoder,
    std::shared_ptr<FeatureExtracting> featureExtractor, std::shared_ptr<SegmentSeeking> segmentSeeker,
    std::shared_ptr<TextDecoding> textDecoder, std::shared_ptr<WhisperTokenizer> tokenizer) {
    return std::make_unique<WindowTranscribeTask>(currentTimings, std::move(progress), std::move(audioProcessor),
                                                  std::move(audioEncoder), std::move(featureExtractor),
                                                  std::move(segmentSeeker), std::move(textDecoder),
                                                  std::move(tokenizer));
}

} // namespace hushframe
