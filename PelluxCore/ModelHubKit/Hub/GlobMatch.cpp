#include "PelluxCore/ModelHubKit/Hub/GlobMatch.hpp"

#include <algorithm>
#include <fnmatch.h>

namespace modelhubkit {

bool matchesGlob(std::string_view path, std::string_view glob)
{
    // fnmatch wants terminated strings; a view may not be one.
    const std::string pattern(glob);
    const std::string text(path);
    return ::fnmatch(pattern.c_str(), text.c_str(), 0) == 0;
}

bool matchesAnyGlob(std::string_view path, const std::vector<std::string>& globs)
{
    return globs.empty() || std::ranges::any_of(globs, [path](const auto& glob) { return matchesGlob(path, glob); });
}

} // namespace modelhubkit
