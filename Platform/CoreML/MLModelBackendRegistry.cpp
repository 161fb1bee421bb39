#include "Platform/CoreML/MLModelBackendRegistry.hpp"

#include <algorithm>
#include <system_error>
#include <utility>

namespace platform::coreml {
namespace {

std::filesystem::path resolved(const std::filesystem::path& path) {
    std::error_code error;
    auto canonical = std::filesystem::weakly_canonical(path, error);
    auto result = error ? path.lexically_normal() : canonical;
    // A trailing separator names the same folder.
    if (!result.has_filename() && result.has_parent_path()) {
        result = result.parent_path();
    }
    return result;
}

} // namespace

MLModelBackendRegistry::Registration::Registration(Registration&& other) noexcept
    : registry_(std::exchange(other.registry_, nullptr)), id_(std::exchange(other.id_, 0)) {}

MLModelBackendRegistry::Registration& MLModelBackendRegistry::Registration::operator=(Registration&& other) noexcept {
    if (this != &other) {
        reset();
        registry_ = std::exchange(other.registry_, nullptr);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

void MLModelBackendRegistry::Registration::reset() {
    if (registry_ != nullptr) {
        registry_->unregister(id_);
        registry_ = nullptr;
    }
}

MLModelBackendRegistry& MLModelBackendRegistry::shared() {
    static MLModelBackendRegistry registry;
    return registry;
}

MLModelPathRule MLModelBackendRegistry::forPath(const std::filesystem::path& modelURL) {
    return [wanted = resolved(modelURL)](const std::filesystem::path& candidate) { return resolved(candidate) == wanted; };
}

MLModelPathRule MLModelBackendRegistry::forFileName(const std::string& fileName) {
    return [fileName](const std::filesystem::path& candidate) { return resolved(candidate).filename() == fileName; };
}

MLModelBackendRegistry::Registration MLModelBackendRegistry::registerBackend(MLModelPathRule rule,
                                                                             MLModelBackendFactory factory) {
    return add(Entry{0, std::move(rule), std::move(factory), {}});
}

MLModelBackendRegistry::Registration MLModelBackendRegistry::registerCompiler(MLModelPathRule rule,
                                                                              MLModelCompiler compiler) {
    return add(Entry{0, std::move(rule), {}, std::move(compiler)});
}

MLModelBackendRegistry::Registration MLModelBackendRegistry::add(Entry entry) {
    const std::lock_guard lock(mutex_);
    entry.id = nextId_++;
    const auto id = entry.id;
    entries_.push_back(std::move(entry));
    return Registration(this, id);
}

void MLModelBackendRegistry::unregister(std::uint64_t id) {
    const std::lock_guard lock(mutex_);
    std::erase_if(entries_, [id](const Entry& entry) { return entry.id == id; });
}

const MLModelBackendRegistry::Entry* MLModelBackendRegistry::latestMatch(const std::filesystem::path& modelURL,
                                                                         bool wantsCompiler) const {
    for (auto entry = entries_.rbegin(); entry != entries_.rend(); ++entry) {
        const bool hasWanted = wantsCompiler ? static_cast<bool>(entry->compiler) : static_cast<bool>(entry->factory);
        if (hasWanted && entry->rule && entry->rule(modelURL)) {
            return &*entry;
        }
    }
    return nullptr;
}

std::optional<MLModelBackendFactory> MLModelBackendRegistry::backendFactory(const std::filesystem::path& modelURL) const {
    const std::lock_guard lock(mutex_);
    if (const auto* entry = latestMatch(modelURL, false)) {
        return entry->factory;
    }
    return std::nullopt;
}

std::optional<MLModelCompiler> MLModelBackendRegistry::compiler(const std::filesystem::path& modelURL) const {
    const std::lock_guard lock(mutex_);
    if (const auto* entry = latestMatch(modelURL, true)) {
        return entry->compiler;
    }
    return std::nullopt;
}

} // namespace platform::coreml
