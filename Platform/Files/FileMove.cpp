#include "Platform/Files/FileMove.hpp"

#include "Platform/Files/FileContents.hpp"
#include "Platform/Files/FileDescriptor.hpp"
#include "Platform/Files/FileError.hpp"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <system_error>
#include <unistd.h>

namespace platform::files {

namespace {

namespace fs = std::filesystem;

FileError errorOf(const fs::filesystem_error& error, const fs::path& path) {
    return FileError::fromErrno(error.code().value(), "Cannot copy", path);
}

void flushFile(const fs::path& path) {
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid() || ::fsync(fd.get()) != 0) throw FileError::fromErrno(errno, "Cannot flush", path);
}

void copyToTemporary(const fs::path& from, const fs::path& temporary) {
    const auto status = fs::symlink_status(from);
    if (!fs::exists(status)) throw FileError::fromErrno(ENOENT, "Cannot move", from);
    try {
        if (fs::is_regular_file(status)) {
            fs::copy_file(from, temporary);
            flushFile(temporary);
        } else {
            fs::copy(from, temporary, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        }
    } catch (const fs::filesystem_error& error) {
        throw errorOf(error, from);
    }
}

// Renames `from` to `to` unless `to` exists; false when it exists.
bool renameWithoutReplacing(const fs::path& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno == EEXIST) return false;
    if (errno != EINVAL && errno != ENOSYS) throw std::system_error(errno, std::generic_category());
    // The file system cannot refuse to replace; check first instead.
    if (fs::exists(fs::symlink_status(to))) return false;
    fs::rename(from, to);
    return true;
}

std::string utcTimestamp() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &utc);
    return text;
}

} // namespace

void copyThenRemove(const fs::path& from, const fs::path& to) {
    const auto temporary = temporarySibling(to);
    try {
        copyToTemporary(from, temporary);
        if (::rename(temporary.c_str(), to.c_str()) != 0) throw FileError::fromErrno(errno, "Cannot replace", to);
    } catch (...) {
        std::error_code ignored;
        fs::remove_all(temporary, ignored);
        throw;
    }
    syncFolder(to.parent_path());
    std::error_code removal;
    fs::remove_all(from, removal);
    if (removal) {
        throw FileError(FileErrorKind::ioFailure, "Copied \"" + from.string() + "\" to \"" + to.string() +
                                                      "\" but cannot remove the original: " + removal.message());
    }
}

void moveItem(const fs::path& from, const fs::path& to) {
    if (::rename(from.c_str(), to.c_str()) == 0) return;
    if (errno != EXDEV) throw FileError::fromErrno(errno, "Cannot move", from);
    copyThenRemove(from, to);
}

fs::path keepDamagedAside(const fs::path& file) {
    const auto base = file.string() + ".damaged-" + utcTimestamp();
    auto aside = fs::path(base);
    for (int attempt = 2; !renameWithoutReplacing(file, aside); ++attempt) {
        aside = base + "-" + std::to_string(attempt);
    }
    return aside;
}

} // namespace platform::files
