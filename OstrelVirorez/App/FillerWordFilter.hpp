#pragma once
// Removes hesitation words ("ähm", "um") from a transcript as whole words, in
// any letter case, and repairs the spacing the removal leaves. Stateless.

#include "OstrelVirorez/App/CleanupLanguages.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ostrelvirorez {

class FillerWordFilter {
public:
    using Language = CleanupLanguage;

    FillerWordFilter() = delete;

    static const std::vector<std::string>& germanWords();
    static const std::vector<std::string>& englishWords();

    // The words of each language in the given order, longest first, removed;
    // the spacing is repaired even when nothing was removed.
    static std::string apply(std::string_view text, const std::vector<Language>& languages);

    // Never empty. The second form names the system language instead of
    // reading the process's locale.
    static std::vector<Language> resolveLanguages(const std::optional<std::string>& hint);
    static std::vector<Language> resolveLanguages(const std::optional<std::string>& hint,
                                                  const std::optional<std::string>& systemLanguageCode);

private:
    static std::string cleanupSpacing(std::string_view text);
};

} // namespace ostrelvirorez
