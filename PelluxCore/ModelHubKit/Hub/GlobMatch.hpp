#pragma once
// Shell-style matching of repository file paths against glob patterns, as
// fnmatch does it with no flags: "*" and "?" also match "/" and a leading ".".

#include <string>
#include <string_view>
#include <vector>

namespace modelhubkit {

bool matchesGlob(std::string_view path, std::string_view glob);
// True for every path when globs is empty.
bool matchesAnyGlob(std::string_view path, const std::vector<std::string>& globs);

} // namespace modelhubkit
