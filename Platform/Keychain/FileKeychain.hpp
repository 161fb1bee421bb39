#pragma once
// A keychain in one JSON file readable by its owner only (mode 0600, folder
// 0700), replaced atomically on every change: {"service": {"account": "secret"}}.
// The fallback where no Secret Service answers.

#include "Platform/Keychain/Keychain.hpp"

#include <filesystem>
#include <mutex>

namespace platform {

class FileKeychain final : public Keychain {
public:
    explicit FileKeychain(std::filesystem::path file);

    const std::filesystem::path& file() const { return file_; }

    std::optional<std::string> password(const std::string& service, const std::string& account) override;
    // A file that is not a keychain document is renamed aside with a
    // ".damaged-<n>" suffix before the first write, so that no secret it may
    // still hold is overwritten.
    void setPassword(const std::string& service, const std::string& account, const std::string& value) override;
    bool removePassword(const std::string& service, const std::string& account) override;

private:
    std::filesystem::path file_;
    std::mutex mutex_;
};

} // namespace platform
