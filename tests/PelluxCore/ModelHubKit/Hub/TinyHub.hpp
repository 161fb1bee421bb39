#pragma once
// A tiny model repository, "owner/tiny", served by a loopback hub: its file
// list at revision "main" and each file's contents at the current commit. Tests
// change files and the commit while it runs, and read which files were fetched.

#include "PelluxCore/ModelHubKit/Hub/HubApi.hpp"
#include "PelluxCore/ModelHubKit/Hub/FakeNetworkMonitor.hpp"

#include "tests/Support/HttpTestServer.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace modelhubkit::testing {

class TinyHub {
public:
    static constexpr const char* repoId = "owner/tiny";

    TinyHub();

    // Adds or replaces a file; its entity tag is derived from its contents.
    void setFile(const std::string& path, const std::string& contents);
    // Lists a path the hub does not serve (for hostile listings).
    void listOnly(const std::string& path);
    // Moves the repository to a new commit; files keep their tags.
    void setCommit(const std::string& commit);
    // Serves this reply for every file from now on.
    void failFilesWith(testsupport::HttpTestReply reply);

    std::string endpoint() const { return server.url(""); }
    // GET requests for file contents, by repository path.
    std::vector<std::string> fileDownloads() const;
    std::size_t headRequests() const;

    // A client of this hub whose downloads go below base.
    HubApi client(const std::filesystem::path& base, std::optional<bool> offline = false,
                  std::optional<std::string> token = std::string()) const;

    testsupport::HttpTestServer server;
    std::shared_ptr<FakeNetworkMonitor> network = std::make_shared<FakeNetworkMonitor>(true);

private:
    testsupport::HttpTestReply listing() const;
    testsupport::HttpTestReply file(const std::string& path) const;
    void serveFile(const std::string& path);

    mutable std::mutex mutex_;
    std::string commit_ = "c0ffee01";
    std::map<std::string, std::string> files_;
    std::vector<std::string> listedOnly_;
    std::optional<testsupport::HttpTestReply> failure_;
};

Repo tinyRepo();

} // namespace modelhubkit::testing
