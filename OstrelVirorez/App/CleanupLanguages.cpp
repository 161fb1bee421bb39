#include "OstrelVirorez/App/CleanupLanguages.hpp"

#include <cstdlib>

namespace ostrelvirorez {

std::vector<CleanupLanguage> cleanupLanguages(const std::optional<std::string>& hint,
                                              const std::optional<std::string>& systemLanguageCode) {
    if (const auto hinted = hint ? fromRawValue<CleanupLanguage>(*hint) : std::nullopt) return {*hinted};
    if (systemLanguageCode == "en") return {CleanupLanguage::english, CleanupLanguage::german};
    return {CleanupLanguage::german, CleanupLanguage::english};
}

std::optional<std::string> currentLanguageCode() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (!value || !*value) continue;
        const std::string locale(value);
        if (locale == "C" || locale == "POSIX" || locale.starts_with("C.")) return std::nullopt;
        const auto code = locale.substr(0, locale.find_first_of("_.@-"));
        if (code.empty()) return std::nullopt;
        return code;
    }
    return std::nullopt;
}

std::string_view rawValue(CleanupLanguage language) {
    return language == CleanupLanguage::german ? "de" : "en";
}

template <>
std::optional<CleanupLanguage> fromRawValue<CleanupLanguage>(std::string_view raw) {
    return findByRawValue(raw, allCleanupLanguages);
}

} // namespace ostrelvirorez
