#pragma once
// Brings one repository file up to date in its local folder. A file whose
// record names the wanted commit (and whose size still matches) costs no
// request; at another commit a HEAD request compares entity tags; only a
// changed or missing file is downloaded, into a temporary file that is moved
// into place once complete and removed otherwise.

#include "PelluxCore/ModelHubKit/Hub/LocalRepoFolder.hpp"
#include "Platform/Http/HttpTransport.hpp"

#include <filesystem>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>

namespace modelhubkit {

struct FileFetch {
    std::string url;
    std::filesystem::path relativePath;
    std::string commitHash;
    std::optional<std::string> token;
};

enum class FetchOutcome { upToDate, downloaded };

class FileFetcher {
public:
    // fraction of the current file's bytes, when its size is known.
    using ByteProgress = std::function<void(double fraction)>;

    FileFetcher(platform::HttpTransport& transport, const LocalRepoFolder& folder);

    FetchOutcome fetch(const FileFetch& file, const ByteProgress& onBytes, std::stop_token stop) const;

private:
    bool isUnchanged(const FileFetch& file, std::stop_token stop) const;
    void download(const FileFetch& file, const ByteProgress& onBytes, std::stop_token stop) const;

    platform::HttpTransport& transport_;
    const LocalRepoFolder& folder_;
};

} // namespace modelhubkit
