#pragma once
// What the client recorded about one downloaded file: the commit it came
// from, the hub's entity tag for its contents, and its size in bytes. A file
// whose record still matches is not fetched again.

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <string>

namespace modelhubkit {

struct FileMetadata {
    std::string commitHash;
    std::string etag;
    std::uint64_t size = 0;

    bool operator==(const FileMetadata&) const = default;
};

void to_json(nlohmann::json& json, const FileMetadata& metadata);
void from_json(const nlohmann::json& json, FileMetadata& metadata);

} // namespace modelhubkit
