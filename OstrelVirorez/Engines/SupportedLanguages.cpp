#include "OstrelVirorez/Engines/SupportedLanguages.hpp"

#include <algorithm>

namespace ostrelvirorez {

const std::vector<SupportedLanguages::Entry> SupportedLanguages::all{
    {"de", "Deutsch"},    {"en", "English"},    {"fr", "Français"},   {"es", "Español"},   {"it", "Italiano"},
    {"pt", "Português"},  {"ro", "Română"},     {"pl", "Polski"},     {"cs", "Čeština"},   {"sk", "Slovenčina"},
    {"sl", "Slovenščina"}, {"hr", "Hrvatski"},  {"bs", "Bosanski"},   {"ru", "Русский"},   {"uk", "Українська"},
    {"be", "Беларуская"}, {"bg", "Български"}, {"sr", "Српски"},
};

std::string SupportedLanguages::displayName(const std::string& code) {
    const auto entry = std::find_if(all.begin(), all.end(), [&code](const Entry& e) { return e.code == code; });
    return entry != all.end() ? entry->displayName : code;
}

} // namespace ostrelvirorez
