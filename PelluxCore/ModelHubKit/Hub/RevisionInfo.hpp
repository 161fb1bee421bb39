#pragma once
// The hub's answer about a repository at one revision: the commit the
// revision points at, and the paths of all its files.

#include <string>
#include <string_view>
#include <vector>

namespace modelhubkit {

struct RevisionInfo {
    // Empty when the hub did not say.
    std::string commitHash;
    std::vector<std::string> filenames;

    // Reads {"sha": ..., "siblings": [{"rfilename": ...}, ...]}; throws
    // HubError (invalidResponse) for anything else.
    static RevisionInfo parse(std::string_view body);
};

} // namespace modelhubkit
