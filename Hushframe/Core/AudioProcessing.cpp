#include "Hushframe/Core/AudioProcessing.hpp"

#include "PelluxCore/Logging.hpp"

#include <algorithm>

namespace hushframe {

using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;

std::optional<MLMultiArray> AudioProcessing::padOrTrimAudio(std::span<const float> fromArray, std::int64_t startAt,
                                                            std::int64_t toLength, bool) {
    const auto length = static_cast<std::int64_t>(fromArray.size());
    if (startAt < 0 || startAt >= length) {
        pelluxcore::Logging::error("startIndex is outside the buffer size");
        return std::nullopt;
    }
    const std::int64_t end = std::min(startAt + toLength, length);
    MLMultiArray window({toLength}, MLMultiArrayDataType::float32);
    // The new array is dense and zero-filled: only the samples need copying.
    std::copy(fromArray.begin() + startAt, fromArray.begin() + end, window.dataPointer<float>());
    return window;
}

} // namespace hushframe
