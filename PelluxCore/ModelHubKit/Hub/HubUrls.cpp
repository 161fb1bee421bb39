#include "PelluxCore/ModelHubKit/Hub/HubUrls.hpp"

#include <cctype>

namespace modelhubkit {
namespace {

bool isUnreserved(unsigned char c)
{
    return std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~';
}

// Encodes every byte but the unreserved ones, and "/" when keepSlashes.
std::string percentEncoded(std::string_view text, bool keepSlashes)
{
    constexpr char hex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const unsigned char c : text) {
        if (isUnreserved(c) || (keepSlashes && c == '/')) {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += hex[c >> 4];
            encoded += hex[c & 0x0F];
        }
    }
    return encoded;
}

std::string filePrefix(RepoType type)
{
    switch (type) {
    case RepoType::models: return "";
    case RepoType::datasets: return "/datasets";
    case RepoType::spaces: return "/spaces";
    }
    return "";
}

} // namespace

std::string revisionInfoUrl(std::string_view endpoint, const Repo& repo, std::string_view revision)
{
    return std::string(endpoint) + "/api/" + std::string(rawValue(repo.type)) + "/" + percentEncoded(repo.id, true) +
           "/revision/" + percentEncoded(revision, false);
}

std::string fileUrl(std::string_view endpoint, const Repo& repo, std::string_view revision, std::string_view path)
{
    return std::string(endpoint) + filePrefix(repo.type) + "/" + percentEncoded(repo.id, true) + "/resolve/" +
           percentEncoded(revision, false) + "/" + percentEncoded(path, true);
}

} // namespace modelhubkit
