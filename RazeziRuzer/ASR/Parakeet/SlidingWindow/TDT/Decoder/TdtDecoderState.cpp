#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/TdtDecoderState.hpp"

#include "RazeziRuzer/Shared/ANEMemoryUtils.hpp"

namespace razeziruzer {
namespace {

using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;

MLMultiArray zeroedStateArray(int decoderLayers) {
    auto array = ANEMemoryUtils::createAlignedArray({decoderLayers, 1, TdtDecoderState::hiddenSize},
                                                    MLMultiArrayDataType::float32, true);
    array.fill(0);
    return array;
}

std::optional<MLMultiArray> namedArray(const platform::coreml::MLFeatureProvider& provider, const char* name) {
    const auto value = provider.featureValue(name);
    if (!value) return std::nullopt;
    return value->multiArrayValue();
}

} // namespace

TdtDecoderState::TdtDecoderState(int decoderLayers)
    : hiddenState(zeroedStateArray(decoderLayers)), cellState(zeroedStateArray(decoderLayers)) {}

TdtDecoderState TdtDecoderState::make(int decoderLayers) { return TdtDecoderState(decoderLayers); }

void TdtDecoderState::reset() {
    hiddenState.fill(0);
    cellState.fill(0);
    lastToken.reset();
    predictorOutput.reset();
    timeJump.reset();
}

void TdtDecoderState::update(const platform::coreml::MLFeatureProvider& from) {
    if (auto hidden = namedArray(from, "h_out")) hiddenState = *hidden;
    if (auto cell = namedArray(from, "c_out")) cellState = *cell;
}

} // namespace razeziruzer
