#include "RazeziRuzer/DownloadUtils.hpp"
#include "RazeziRuzer/DownloadUtilsInternal.hpp"

#include "Platform/Core/BoundedJson.hpp"
#include "Platform/Text/CaseMapping.hpp"
#include "Platform/Text/Utf8.hpp"
#include "Platform/Text/Whitespace.hpp"

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdlib>
#include <limits>

namespace razeziruzer::DownloadUtils {
namespace {

constexpr std::chrono::seconds hubRequestTimeout{1800};

std::int64_t listedSize(const nlohmann::json& object) {
    const auto found = object.find("size");
    if (found == object.end()) return -1;
    if (found->is_number_unsigned()) {
        const auto value = found->get<std::uint64_t>();
        if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return -1;
        return static_cast<std::int64_t>(value);
    }
    if (found->is_number_integer()) return found->get<std::int64_t>();
    return -1;
}

std::optional<std::string> hexDigest(const nlohmann::json& object, const char* key, std::size_t length) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_string()) return std::nullopt;
    auto digest = platform::text::lowercased(found->get<std::string>());
    if (digest.size() != length || digest.find_first_not_of("0123456789abcdef") != std::string::npos) {
        return std::nullopt;
    }
    return digest;
}

// For a large-file-storage file the top-level "oid" names the pointer file,
// not the content, so only the content's SHA-256 is taken.
void takeDigests(const nlohmann::json& object, ListingEntry& entry) {
    if (const auto lfs = object.find("lfs"); lfs != object.end()) {
        if (lfs->is_object()) entry.sha256 = hexDigest(*lfs, "oid", 64);
        return;
    }
    entry.gitBlobId = hexDigest(object, "oid", 40);
}

} // namespace

std::optional<std::string> huggingFaceToken() {
    for (const char* name : {"HF_TOKEN", "HUGGING_FACE_HUB_TOKEN", "HUGGINGFACEHUB_API_TOKEN"}) {
        if (const char* value = std::getenv(name)) return std::string(value);
    }
    return std::nullopt;
}

platform::HttpRequest authorizedRequest(std::string url) {
    platform::HttpRequest request;
    request.url = std::move(url);
    request.idleTimeout = hubRequestTimeout;
    if (const auto token = huggingFaceToken()) request.headers.set("Authorization", "Bearer " + *token);
    return request;
}

platform::HttpResponse fetchWithAuth(std::string_view from, std::stop_token stop) {
    if (enforceOffline) throw OfflineError::networkDisabled("fetchWithAuth(" + std::string(from) + ")");
    return sharedSession().send(authorizedRequest(std::string(from)), std::move(stop));
}

void validateJSONResponse(std::string_view body, std::string_view path) {
    if (!platform::text::isValidUtf8(body)) return;
    const auto trimmed = platform::text::trimWhitespaceAndNewlines(body);
    const bool html = trimmed.starts_with('<') ||
                      platform::text::lowercased(trimmed).find("<!doctype html") != std::string::npos;
    if (html) throw HuggingFaceDownloadError::htmlErrorResponse(std::string(path), trimmed);
}

std::vector<ListingEntry> parseListing(std::string_view body) {
    nlohmann::json json;
    try {
        json = platform::parseBoundedJson(body);
    } catch (const platform::JsonNestingError& nesting) {
        logger().error(std::string("Listing is not readable: ") + nesting.what());
        throw HuggingFaceDownloadError::invalidResponse();
    }
    if (!json.is_array()) throw HuggingFaceDownloadError::invalidResponse();
    for (const auto& element : json) {
        if (!element.is_object()) throw HuggingFaceDownloadError::invalidResponse();
    }
    std::vector<ListingEntry> entries;
    for (const auto& object : json) {
        const auto path = object.find("path");
        const auto type = object.find("type");
        if (path == object.end() || type == object.end() || !path->is_string() || !type->is_string()) continue;
        ListingEntry entry{path->get<std::string>(), type->get<std::string>(), listedSize(object), {}, {}};
        takeDigests(object, entry);
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool staysInsideFolder(std::string_view relativePath) {
    if (relativePath.empty() || relativePath.find('\0') != std::string_view::npos) return false;
    const std::filesystem::path path{std::string(relativePath)};
    if (path.is_absolute() || path.has_root_path()) return false;
    bool namesSomething = false;
    for (const auto& component : path) {
        if (component == "..") return false;
        if (!component.empty() && component != ".") namesSomething = true;
    }
    return namesSomething;
}

} // namespace razeziruzer::DownloadUtils
