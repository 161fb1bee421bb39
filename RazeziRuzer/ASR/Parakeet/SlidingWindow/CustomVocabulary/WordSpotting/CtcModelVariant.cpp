#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/CtcModelVariant.hpp"

namespace razeziruzer {

std::string_view rawValue(CtcModelVariant variant) {
    return variant == CtcModelVariant::ctc110m ? "ctc110m" : "ctc06b";
}

std::optional<CtcModelVariant> ctcModelVariantFromRawValue(std::string_view text) {
    for (const auto variant : allCtcModelVariants) {
        if (rawValue(variant) == text) return variant;
    }
    return std::nullopt;
}

std::string_view displayName(CtcModelVariant variant) {
    return variant == CtcModelVariant::ctc110m ? "Parakeet CTC 110M (hybrid)" : "Parakeet CTC 0.6B (pure)";
}

Repo repo(CtcModelVariant variant) {
    return variant == CtcModelVariant::ctc110m ? Repo::parakeetCtc110m : Repo::parakeetCtc06b;
}

} // namespace razeziruzer
