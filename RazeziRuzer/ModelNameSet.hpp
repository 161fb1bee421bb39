#pragma once
// A required set: names, relative to a repository's local folder, that must all
// be present before a model family can be loaded (a name may hold a slash or
// name a folder).

#include <functional>
#include <initializer_list>
#include <set>
#include <string>
#include <string_view>

namespace razeziruzer {

using ModelNameSet = std::set<std::string, std::less<>>;

inline ModelNameSet makeModelNameSet(std::initializer_list<std::string_view> names) {
    ModelNameSet result;
    for (const auto name : names) result.emplace(name);
    return result;
}

} // namespace razeziruzer
