#include "tests/PelluxCore/ModelHubKit/Hub/TinyHub.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <functional>

namespace modelhubkit::testing {
namespace {

constexpr std::string_view resolvePrefix = "/owner/tiny/resolve/";

} // namespace

Repo tinyRepo()
{
    return Repo{TinyHub::repoId, RepoType::models};
}

TinyHub::TinyHub()
{
    server.handle("/api/models/owner/tiny/revision/main", [this](const auto&) { return listing(); });
}

void TinyHub::setFile(const std::string& path, const std::string& contents)
{
    {
        std::lock_guard lock(mutex_);
        files_[path] = contents;
    }
    serveFile(path);
}

void TinyHub::listOnly(const std::string& path)
{
    std::lock_guard lock(mutex_);
    listedOnly_.push_back(path);
}

void TinyHub::setCommit(const std::string& commit)
{
    std::vector<std::string> paths;
    {
        std::lock_guard lock(mutex_);
        commit_ = commit;
        for (const auto& [path, contents] : files_)
            paths.push_back(path);
    }
    for (const auto& path : paths)
        serveFile(path);
}

void TinyHub::failFilesWith(testsupport::HttpTestReply reply)
{
    std::lock_guard lock(mutex_);
    failure_ = std::move(reply);
}

void TinyHub::serveFile(const std::string& path)
{
    std::string commit;
    {
        std::lock_guard lock(mutex_);
        commit = commit_;
    }
    server.handle(std::string(resolvePrefix) + commit + "/" + path, [this, path](const auto&) { return file(path); });
}

testsupport::HttpTestReply TinyHub::listing() const
{
    std::lock_guard lock(mutex_);
    nlohmann::json siblings = nlohmann::json::array();
    for (const auto& [path, contents] : files_)
        siblings.push_back({{"rfilename", path}});
    for (const auto& path : listedOnly_)
        siblings.push_back({{"rfilename", path}});
    const nlohmann::json body{{"id", repoId}, {"sha", commit_}, {"siblings", siblings}};
    auto reply = testsupport::HttpTestReply::text(200, body.dump());
    reply.contentType = "application/json";
    return reply;
}

testsupport::HttpTestReply TinyHub::file(const std::string& path) const
{
    std::lock_guard lock(mutex_);
    if (failure_)
        return *failure_;
    const auto& contents = files_.at(path);
    const auto tag = "\"" + std::to_string(std::hash<std::string>{}(contents)) + "\"";
    return testsupport::HttpTestReply::text(200, contents, {{"ETag", tag}});
}

std::vector<std::string> TinyHub::fileDownloads() const
{
    std::vector<std::string> paths;
    for (const auto& request : server.requests()) {
        if (request.method != "GET" || !request.path.starts_with(resolvePrefix))
            continue;
        const auto rest = request.path.substr(resolvePrefix.size());
        paths.push_back(rest.substr(rest.find('/') + 1));
    }
    std::ranges::sort(paths);
    return paths;
}

std::size_t TinyHub::headRequests() const
{
    const auto requests = server.requests();
    return static_cast<std::size_t>(std::ranges::count_if(requests, [](const auto& r) { return r.method == "HEAD"; }));
}

HubApi TinyHub::client(const std::filesystem::path& base, std::optional<bool> offline,
                       std::optional<std::string> token) const
{
    return HubApi(base, std::move(token), endpoint(), false, offline, HubApi::Services{nullptr, network});
}

} // namespace modelhubkit::testing
