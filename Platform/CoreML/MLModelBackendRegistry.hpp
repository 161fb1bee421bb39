#pragma once
// Where MLModel finds the backend that runs a compiled model folder, and the
// compiler that turns an uncompiled model into one. Entries are chosen by a rule
// on the model path; the most recent matching entry wins. A model with no
// matching entry runs in the program interpreter.

#include "Platform/CoreML/MLModelBackend.hpp"
#include "Platform/CoreML/MLModelConfiguration.hpp"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace platform::coreml {

using MLModelPathRule = std::function<bool(const std::filesystem::path& modelURL)>;
// Makes the backend of one loaded model; returning null means it cannot run it.
using MLModelBackendFactory = std::function<std::shared_ptr<MLModelBackend>(
    const std::filesystem::path& modelURL, const MLModelConfiguration& configuration)>;
// Compiles a model and returns the location of the compiled model folder.
using MLModelCompiler = std::function<std::filesystem::path(const std::filesystem::path& modelURL)>;

class MLModelBackendRegistry {
public:
    // Keeps an entry registered while it lives. The registry must outlive it.
    class Registration {
    public:
        Registration() = default;
        Registration(MLModelBackendRegistry* registry, std::uint64_t id) : registry_(registry), id_(id) {}
        Registration(Registration&& other) noexcept;
        Registration& operator=(Registration&& other) noexcept;
        ~Registration() { reset(); }

        void reset();

    private:
        MLModelBackendRegistry* registry_ = nullptr;
        std::uint64_t id_ = 0;
    };

    static MLModelBackendRegistry& shared();

    // Matches exactly that model folder (compared after resolving the paths).
    static MLModelPathRule forPath(const std::filesystem::path& modelURL);
    // Matches any model whose last path component is that name, e.g. "joint.mlmodelc".
    static MLModelPathRule forFileName(const std::string& fileName);

    [[nodiscard]] Registration registerBackend(MLModelPathRule rule, MLModelBackendFactory factory);
    [[nodiscard]] Registration registerCompiler(MLModelPathRule rule, MLModelCompiler compiler);
    void unregister(std::uint64_t id);

    // The most recent factory or compiler whose rule matches, if any.
    std::optional<MLModelBackendFactory> backendFactory(const std::filesystem::path& modelURL) const;
    std::optional<MLModelCompiler> compiler(const std::filesystem::path& modelURL) const;

private:
    struct Entry {
        std::uint64_t id;
        MLModelPathRule rule;
        MLModelBackendFactory factory;
        MLModelCompiler compiler;
    };

    Registration add(Entry entry);
    const Entry* latestMatch(const std::filesystem::path& modelURL, bool wantsCompiler) const;

    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
    std::uint64_t nextId_ = 1;
};

} // namespace platform::coreml
