#pragma once
// Which languages' word lists a clean-up stage applies, as raw codes ("de",
// "en") in order: the hinted language alone when the hint is exactly one of
// them, else both with the system language first (German first otherwise).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ostrelvirorez {

std::vector<std::string_view> cleanupLanguageCodes(const std::optional<std::string>& hint,
                                                   const std::optional<std::string>& systemLanguageCode);

// The language code of the process's locale (LC_ALL, LC_MESSAGES, LANG);
// absent for the C/POSIX locale or none set.
std::optional<std::string> currentLanguageCode();

} // namespace ostrelvirorez
