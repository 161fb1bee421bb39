#include "OstrelVirorez/App/CleanupLanguages.hpp"

#include <cstdlib>

namespace ostrelvirorez {

std::vector<std::string_view> cleanupLanguageCodes(const std::optional<std::string>& hint,
                                                   const std::optional<std::string>& systemLanguageCode) {
    if (hint == "de") return {"de"};
    if (hint == "en") return {"en"};
    if (systemLanguageCode == "en") return {"en", "de"};
    return {"de", "en"};
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

} // namespace ostrelvirorez
