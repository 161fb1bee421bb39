#include "Platform/Files/FileMove.hpp"

#include "Platform/Files/FileContents.hpp"
#include "Platform/Files/FileDescriptor.hpp"
#include "Platform/Files/FileError.hpp"

#include <cerrno>
#include <cstdio>
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

} // namespace platform::files
