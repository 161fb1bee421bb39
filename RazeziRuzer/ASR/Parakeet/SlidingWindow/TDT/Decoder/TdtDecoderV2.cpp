#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/TdtDecoderV2.hpp"

namespace razeziruzer {
namespace {

ASRConfig withBlank1024(const ASRConfig& config) {
    if (config.tdtConfig().blankId == TdtDecoderV2::blankId) return config;
    auto tdt = config.tdtConfig();
    tdt.blankId = TdtDecoderV2::blankId;
    return ASRConfig(config.sampleRate(), tdt, config.encoderHiddenSize(), config.parallelChunkConcurrency(),
                     config.streamingEnabled(), config.streamingThreshold(), config.melChunkContext(),
                     config.dualDecodeArbitration());
}

} // namespace

TdtDecoderV2::TdtDecoderV2(const ASRConfig& config) : config(withBlank1024(config)) {}

TdtHypothesis TdtDecoderV2::decodeWithTimings(const platform::coreml::MLMultiArray& encoderOutput,
                                              int encoderSequenceLength, int actualAudioFrames,
                                              const platform::coreml::MLModel& decoderModel,
                                              const platform::coreml::MLModel& jointModel,
                                              TdtDecoderState& decoderState, int contextFrameAdjustment,
                                              bool isLastChunk, int globalFrameOffset, std::stop_token stop) const {
    TdtDecoderV3 decoder(config);
    return decoder.decodeWithTimings(encoderOutput, encoderSequenceLength, actualAudioFrames, decoderModel, jointModel,
                                     decoderState, contextFrameAdjustment, isLastChunk, globalFrameOffset,
                                     std::nullopt, nullptr, std::nullopt, std::nullopt, std::move(stop));
}

} // namespace razeziruzer
