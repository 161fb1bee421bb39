#pragma once
// A tiny model hub for download tests: a loopback server that "REGISTRY_URL"
// points at, listings and files served per path, a private data and home
// folder, no tokens or proxies from the outside, and back-off waits recorded
// instead of slept.

#include "Platform/Concurrency/Sleeper.hpp"
#include "Platform/Core/Logger.hpp"
#include "RazeziRuzer/DownloadRecord.hpp"
#include "RazeziRuzer/DownloadUtils.hpp"
#include "tests/Support/HttpTestServer.hpp"
#include "tests/Support/ScopedEnvironment.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

namespace razeziruzer::downloadtest {

// Returns at once, keeping every duration it was asked to wait.
class RecordingSleeper final : public platform::Sleeper {
public:
    platform::SleepResult sleepFor(platform::Clock::Duration duration, std::stop_token stop = {}) override {
        const std::lock_guard lock(mutex_);
        slept_.push_back(duration);
        return stop.stop_requested() ? platform::SleepResult::cancelled : platform::SleepResult::completed;
    }

    std::vector<double> sleptSeconds() const {
        const std::lock_guard lock(mutex_);
        std::vector<double> seconds;
        for (const auto d : slept_) seconds.push_back(std::chrono::duration<double>(d).count());
        return seconds;
    }

private:
    mutable std::mutex mutex_;
    std::vector<platform::Clock::Duration> slept_;
};

inline nlohmann::json fileEntry(const std::string& path, std::optional<std::int64_t> size) {
    nlohmann::json entry{{"type", "file"}, {"path", path}};
    if (size) entry["size"] = *size;
    return entry;
}

inline nlohmann::json directoryEntry(const std::string& path) {
    return {{"type", "directory"}, {"path", path}};
}

class HubFixture : public ::testing::Test {
protected:
    HubFixture() {
        environment.set("REGISTRY_URL", server.url(""));
        for (const auto* name : {"MODEL_REGISTRY_URL", "HF_TOKEN", "HUGGING_FACE_HUB_TOKEN",
                                 "HUGGINGFACEHUB_API_TOKEN", "http_proxy", "https_proxy"}) {
            environment.unset(name);
        }
        environment.set("XDG_DATA_HOME", (folder / "data").string());
        environment.set("HOME", (folder / "home").string());
        DownloadUtils::enforceOffline = false;
        DownloadUtils::sharedSession().setSleeper(&sleeper);
    }

    ~HubFixture() override {
        DownloadUtils::sharedSession().setSleeper(nullptr);
        DownloadUtils::enforceOffline = false;
    }

    void serveListing(const std::string& repository, const std::string& treePath, const nlohmann::json& entries) {
        server.reply("/api/models/" + repository + "/" + treePath,
                     testsupport::HttpTestReply::text(200, entries.dump(), {{"Content-Type", "application/json"}}));
    }

    void serveFile(const std::string& repository, const std::string& path, std::string body, int status = 200) {
        server.reply("/" + repository + "/resolve/main/" + path, testsupport::HttpTestReply::text(status, std::move(body)));
    }

    std::vector<std::string> requestedPaths() const {
        std::vector<std::string> paths;
        for (const auto& request : server.requests()) paths.push_back(request.path);
        return paths;
    }

    // The back-off warnings written before each retry.
    std::size_t retryWarningCount() {
        std::size_t count = 0;
        for (const auto& message : log.sink().messages()) count += message.starts_with("Download attempt ");
        return count;
    }

    // Every regular file below folder but download records, as paths
    // relative to it.
    static std::vector<std::string> filesBelow(const std::filesystem::path& root) {
        std::vector<std::string> files;
        if (!std::filesystem::exists(root)) return files;
        for (const auto& item : std::filesystem::recursive_directory_iterator(root)) {
            if (item.is_regular_file() && item.path().filename() != DownloadRecord::fileName) {
                files.push_back(std::filesystem::relative(item.path(), root).string());
            }
        }
        std::sort(files.begin(), files.end());
        return files;
    }

    testsupport::HttpTestServer server;
    testsupport::TemporaryDirectory folder;
    testsupport::ScopedEnvironment environment;
    RecordingSleeper sleeper;
    platform::ScopedLogCapture log;
};

} // namespace razeziruzer::downloadtest
