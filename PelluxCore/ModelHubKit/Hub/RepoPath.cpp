#include "PelluxCore/ModelHubKit/Hub/RepoPath.hpp"

#include "PelluxCore/ModelHubKit/Hub/HubError.hpp"

#include <algorithm>
#include <string>

namespace modelhubkit {
namespace {

bool isSafeSegment(std::string_view segment)
{
    if (segment.empty() || segment == "." || segment == "..")
        return false;
    return std::ranges::none_of(segment, [](char c) { return c == '\\' || c == '\0'; });
}

// Splits at "/" and refuses the whole text when one segment is unsafe;
// a leading "/" (an absolute path) gives an empty first segment.
std::filesystem::path checkedSegments(std::string_view text, std::string_view what)
{
    std::filesystem::path path;
    std::size_t start = 0;
    while (true) {
        const auto end = text.find('/', start);
        const auto length = end == std::string_view::npos ? std::string_view::npos : end - start;
        const auto segment = text.substr(start, length);
        if (!isSafeSegment(segment))
            throw HubError(HubErrorKind::unsafePath,
                           "Refusing " + std::string(what) + " \"" + std::string(text) + "\": it would leave its folder");
        path /= std::string(segment);
        if (end == std::string_view::npos)
            return path;
        start = end + 1;
    }
}

} // namespace

std::filesystem::path checkedRepoIdPath(std::string_view id)
{
    return checkedSegments(id, "repository identifier");
}

std::filesystem::path checkedRepoFilePath(std::string_view path)
{
    auto checked = checkedSegments(path, "repository file path");
    const std::string text = checked.generic_string();
    if (text == metadataFolderName || text.starts_with(std::string(metadataFolderName) + "/"))
        throw HubError(HubErrorKind::unsafePath,
                       "Refusing repository file path \"" + text + "\": the folder is reserved for download records");
    return checked;
}

} // namespace modelhubkit
