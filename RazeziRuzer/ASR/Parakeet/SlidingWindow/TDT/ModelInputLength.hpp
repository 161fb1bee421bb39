#pragma once
// How far a model's declared input lets the recogniser shorten the time axis
// (the last dimension) of what it feeds: the shortest length a flexible
// declaration (a size range or a list of shapes) admits within bounds. A
// fixed declaration, or one that says nothing, offers no shorter length, so
// such inputs keep the full window.

#include "Platform/CoreML/MLFeatureDescription.hpp"

#include <cstdint>
#include <optional>
#include <vector>

namespace razeziruzer::modelinputlength {

// True when the declaration admits more than one length: a range or an enumerated list.
bool isFlexible(const platform::coreml::MLFeatureDescription& description);

// The shortest last-dimension size in [atLeast, atMost] at which the flexible
// declaration admits an array whose other dimensions are those of `shape`;
// none for a fixed or empty declaration and when no admitted size is in bounds.
std::optional<std::int64_t> shortestAdmitted(const platform::coreml::MLFeatureDescription& description,
                                             const std::vector<std::int64_t>& shape, std::int64_t atLeast,
                                             std::int64_t atMost);

} // namespace razeziruzer::modelinputlength
