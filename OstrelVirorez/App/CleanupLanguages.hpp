#pragma once
// The languages whose word lists the clean-up stages (filler words, spoken
// punctuation) know, and which of them a stage applies: the hinted language
// alone when the hint is exactly one of them, else both with the system
// language first (German first otherwise).

#include "OstrelVirorez/Model/SettingEnums.hpp"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ostrelvirorez {

enum class CleanupLanguage { german, english };
inline constexpr std::array allCleanupLanguages{CleanupLanguage::german, CleanupLanguage::english};

// Never empty.
std::vector<CleanupLanguage> cleanupLanguages(const std::optional<std::string>& hint,
                                              const std::optional<std::string>& systemLanguageCode);

// The language code of the process's locale (LC_ALL, LC_MESSAGES, LANG);
// absent for the C/POSIX locale or none set.
std::optional<std::string> currentLanguageCode();

// "de" or "en".
std::string_view rawValue(CleanupLanguage language);
template <>
std::optional<CleanupLanguage> fromRawValue<CleanupLanguage>(std::string_view raw);

} // namespace ostrelvirorez
