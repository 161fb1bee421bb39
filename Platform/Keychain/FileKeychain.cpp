#include "Platform/Keychain/FileKeychain.hpp"

#include "Platform/Core/Logger.hpp"
#include "Platform/Files/FileContents.hpp"
#include "Platform/Files/FileError.hpp"
#include "Platform/Keychain/KeychainError.hpp"

#include <nlohmann/json.hpp>

#include <sys/stat.h>

#include <system_error>
#include <utility>

namespace platform {
namespace {

using Document = nlohmann::json;

const Logger& log() {
    static const Logger logger("platform", "Keychain");
    return logger;
}

bool isKeychainDocument(const Document& document) {
    if (!document.is_object()) return false;
    for (const auto& [service, accounts] : document.items()) {
        if (!accounts.is_object()) return false;
        for (const auto& [account, secret] : accounts.items()) {
            if (!secret.is_string()) return false;
        }
    }
    return true;
}

// The document in the file; an empty one when there is no file. Throws
// KeychainError(damaged) for a file that cannot be read or is no keychain.
Document readDocument(const std::filesystem::path& file) {
    std::error_code error;
    if (!std::filesystem::exists(file, error)) return Document::object();
    std::string bytes;
    try {
        bytes = files::readFile(file);
    } catch (const files::FileError& failure) {
        throw KeychainError(KeychainErrorKind::damaged, failure.description());
    }
    auto document = Document::parse(bytes, nullptr, false);
    if (document.is_discarded() || !isKeychainDocument(document)) {
        throw KeychainError(KeychainErrorKind::damaged, "The keychain file " + file.string() + " is damaged");
    }
    return document;
}

void setAside(const std::filesystem::path& file) {
    for (int number = 1;; ++number) {
        auto aside = file;
        aside += ".damaged-" + std::to_string(number);
        std::error_code error;
        if (std::filesystem::exists(aside, error)) continue;
        std::filesystem::rename(file, aside, error);
        if (error) throw KeychainError(KeychainErrorKind::accessFailed, "Cannot move the damaged keychain file aside: " + error.message());
        log().warning("Keychain: damaged file moved to " + aside.string());
        return;
    }
}

void writeDocument(const std::filesystem::path& file, const Document& document) {
    std::string bytes;
    try {
        bytes = document.dump();
    } catch (const nlohmann::json::exception&) {
        throw KeychainError(KeychainErrorKind::invalidValue, "The secret is not UTF-8 text");
    }
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    if (error) throw KeychainError(KeychainErrorKind::accessFailed, "Cannot create " + file.parent_path().string() + ": " + error.message());
    ::chmod(file.parent_path().c_str(), 0700);
    try {
        files::writeAtomically(file, bytes, 0600);
    } catch (const files::FileError& failure) {
        throw KeychainError(KeychainErrorKind::accessFailed, failure.description());
    }
}

} // namespace

FileKeychain::FileKeychain(std::filesystem::path file) : file_(std::move(file)) {}

std::optional<std::string> FileKeychain::password(const std::string& service, const std::string& account) {
    std::lock_guard lock(mutex_);
    const auto document = readDocument(file_);
    const auto accounts = document.find(service);
    if (accounts == document.end()) return std::nullopt;
    const auto secret = accounts->find(account);
    if (secret == accounts->end()) return std::nullopt;
    return secret->get<std::string>();
}

void FileKeychain::setPassword(const std::string& service, const std::string& account, const std::string& value) {
    try {
        (void)Document{service, account, value}.dump();
    } catch (const nlohmann::json::exception&) {
        throw KeychainError(KeychainErrorKind::invalidValue, "The secret is not UTF-8 text");
    }
    std::lock_guard lock(mutex_);
    Document document;
    try {
        document = readDocument(file_);
    } catch (const KeychainError& failure) {
        if (failure.kind() != KeychainErrorKind::damaged) throw;
        setAside(file_);
        document = Document::object();
    }
    document[service][account] = value;
    writeDocument(file_, document);
}

bool FileKeychain::removePassword(const std::string& service, const std::string& account) {
    std::lock_guard lock(mutex_);
    auto document = readDocument(file_);
    const auto accounts = document.find(service);
    if (accounts == document.end() || !accounts->contains(account)) return false;
    accounts->erase(account);
    if (accounts->empty()) document.erase(service);
    writeDocument(file_, document);
    return true;
}

} // namespace platform
