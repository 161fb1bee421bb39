#pragma once
// Unicode normalisation of UTF-8 text, canonical equivalence, and removal of
// diacritics. Ill-formed UTF-8 reads as U+FFFD.

#include <string>
#include <string_view>

namespace platform::text {

enum class NormalizationForm { nfc, nfd, nfkc, nfkd };

std::string normalize(std::string_view text, NormalizationForm form);
bool isNormalized(std::string_view text, NormalizationForm form);

// True when both texts have the same NFC form ("é" and "e" + U+0301).
bool isCanonicallyEquivalent(std::string_view a, std::string_view b);

// Removes every non-spacing mark (Mn) after canonical decomposition and
// recomposes the rest: "Ärger à la crème" becomes "Arger a la creme".
std::string foldDiacritics(std::string_view text);

} // namespace platform::text
