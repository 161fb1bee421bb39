#include "Platform/Files/XdgDirectories.hpp"

#include "Platform/Files/CommandOutput.hpp"
#include "Platform/Files/FileError.hpp"

#include <cstdlib>
#include <optional>
#include <pwd.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace platform::files {

namespace {

namespace fs = std::filesystem;

std::optional<fs::path> absoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return std::nullopt;
    fs::path path(value);
    if (!path.is_absolute()) return std::nullopt;
    return path;
}

std::optional<fs::path> accountHome() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) {
        return std::nullopt;
    }
    if (entry.pw_dir == nullptr || entry.pw_dir[0] != '/') return std::nullopt;
    return fs::path(entry.pw_dir);
}

fs::path baseFolder(const char* variable, const fs::path& fallbackBelowHome) {
    if (auto path = absoluteVariable(variable)) return *path;
    return homeDirectory() / fallbackBelowHome;
}

std::string trimmedLine(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

} // namespace

fs::path homeDirectory() {
    if (auto path = absoluteVariable("HOME")) return *path;
    if (auto path = accountHome()) return *path;
    throw FileError(FileErrorKind::notFound, "The user has no home folder");
}

fs::path configHome() { return baseFolder("XDG_CONFIG_HOME", ".config"); }

fs::path dataHome() { return baseFolder("XDG_DATA_HOME", fs::path(".local") / "share"); }

fs::path cacheHome() { return baseFolder("XDG_CACHE_HOME", ".cache"); }

fs::path documentsDirectory() {
    const auto home = homeDirectory();
    if (const auto output = commandOutput({"xdg-user-dir", "DOCUMENTS"})) {
        const fs::path answer(trimmedLine(*output));
        if (answer.is_absolute() && (answer / "").lexically_normal() != (home / "").lexically_normal()) return answer;
    }
    return home / "Documents";
}

} // namespace platform::files
