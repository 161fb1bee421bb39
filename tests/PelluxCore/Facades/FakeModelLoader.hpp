#pragma once
// A model loader for manager tests: counts its calls, can hold a step until
// the test opens a gate, and fails a step when told to.

#include "PelluxCore/ModelLoader.hpp"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <utility>
#include <vector>

namespace pelluxcore::testing {

// Closed until opened; waiting on an open gate returns at once.
class Gate {
public:
    void open() {
        {
            std::lock_guard lock(mutex_);
            open_ = true;
        }
        changed_.notify_all();
    }
    void wait() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return open_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
};

class FakeModelLoader : public ModelLoader {
public:
    explicit FakeModelLoader(std::optional<std::string> folder = std::nullopt) : folder_(std::move(folder)) {}

    std::optional<std::string> modelFolder() const override { return folder_; }

    std::string resolveModels(const ModelDownloader&, const modelhubkit::ProgressHandler&) override {
        std::function<void()> step;
        {
            std::lock_guard lock(mutex_);
            ++resolveCalls_;
            step = onResolve;
        }
        if (step) step();
        return resolvedPath;
    }

    void load(const std::string& from, bool prewarm) override {
        std::function<void()> step;
        {
            std::lock_guard lock(mutex_);
            loads_.emplace_back(from, prewarm);
            step = onLoad;
        }
        if (step) step();
    }

    void unload() noexcept override {
        std::lock_guard lock(mutex_);
        ++unloadCalls_;
    }

    int resolveCalls() const {
        std::lock_guard lock(mutex_);
        return resolveCalls_;
    }
    std::vector<std::pair<std::string, bool>> loads() const {
        std::lock_guard lock(mutex_);
        return loads_;
    }
    int unloadCalls() const {
        std::lock_guard lock(mutex_);
        return unloadCalls_;
    }

    std::string resolvedPath = "/models/resolved";
    // Run inside the step; may block or throw. Set before the manager is used.
    std::function<void()> onResolve;
    std::function<void()> onLoad;

private:
    std::optional<std::string> folder_;
    mutable std::mutex mutex_;
    int resolveCalls_ = 0;
    std::vector<std::pair<std::string, bool>> loads_;
    int unloadCalls_ = 0;
};

} // namespace pelluxcore::testing
