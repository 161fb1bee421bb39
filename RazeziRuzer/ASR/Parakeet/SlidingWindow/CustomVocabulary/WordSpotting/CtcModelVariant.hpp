#pragma once
// The two CTC models of vocabulary boosting and where their repositories live.

#include "RazeziRuzer/Repo.hpp"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace razeziruzer {

enum class CtcModelVariant { ctc110m, ctc06b };

inline constexpr std::array<CtcModelVariant, 2> allCtcModelVariants = {CtcModelVariant::ctc110m,
                                                                       CtcModelVariant::ctc06b};

std::string_view rawValue(CtcModelVariant variant);
std::optional<CtcModelVariant> ctcModelVariantFromRawValue(std::string_view text);
std::string_view displayName(CtcModelVariant variant);
Repo repo(CtcModelVariant variant);

} // namespace razeziruzer
