#pragma once
// The Whisper model family of a loaded model, detected from its dimensions;
// it chooses the tokenizer and says whether the model is multilingual.

#include <array>
#include <ostream>
#include <string_view>

namespace hushframe {

enum class ModelVariant { tiny, tinyEn, base, baseEn, small, smallEn, medium, mediumEn, large, largev2, largev3 };

inline constexpr std::array<ModelVariant, 11> allModelVariants = {
    ModelVariant::tiny,   ModelVariant::tinyEn,   ModelVariant::base,  ModelVariant::baseEn,
    ModelVariant::small,  ModelVariant::smallEn,  ModelVariant::medium, ModelVariant::mediumEn,
    ModelVariant::large,  ModelVariant::largev2,  ModelVariant::largev3,
};

// "tiny", "tiny.en", ..., "large-v2", "large-v3".
std::string_view description(ModelVariant variant);
bool isMultilingual(ModelVariant variant);

inline std::ostream& operator<<(std::ostream& stream, ModelVariant variant) {
    return stream << description(variant);
}

} // namespace hushframe
