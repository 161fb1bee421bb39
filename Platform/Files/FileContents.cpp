#include "Platform/Files/FileContents.hpp"

#include "Platform/Files/FileDescriptor.hpp"
#include "Platform/Files/FileError.hpp"
#include "Platform/Files/Uuid.hpp"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::files {

namespace {

FileDescriptor openOrThrow(const std::filesystem::path& path, int flags, std::string_view action, mode_t mode = 0) {
    FileDescriptor fd(::open(path.c_str(), flags | O_CLOEXEC, mode));
    if (!fd.valid()) throw FileError::fromErrno(errno, action, path);
    return fd;
}

void writeAll(int fd, std::string_view bytes, const std::filesystem::path& path) {
    while (!bytes.empty()) {
        const auto written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            throw FileError::fromErrno(errno, "Cannot write", path);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

std::optional<mode_t> existingMode(const std::filesystem::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return std::nullopt;
    return status.st_mode & 07777;
}

void writeNewFile(const std::filesystem::path& temporary, const std::filesystem::path& path, std::string_view bytes,
                  std::optional<mode_t> mode) {
    auto fd = openOrThrow(temporary, O_WRONLY | O_CREAT | O_EXCL, "Cannot create", 0666);
    if (!mode) mode = existingMode(path);
    if (mode && ::fchmod(fd.get(), *mode) != 0) throw FileError::fromErrno(errno, "Cannot set the mode of", temporary);
    writeAll(fd.get(), bytes, temporary);
    if (::fsync(fd.get()) != 0) throw FileError::fromErrno(errno, "Cannot flush", temporary);
    if (const int error = fd.close()) throw FileError::fromErrno(error, "Cannot close", temporary);
}

} // namespace

std::string readFile(const std::filesystem::path& path) {
    const auto fd = openOrThrow(path, O_RDONLY, "Cannot open");
    std::string contents;
    std::array<char, 65536> buffer{};
    while (true) {
        const auto got = ::read(fd.get(), buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            throw FileError::fromErrno(errno, "Cannot read", path);
        }
        if (got == 0) return contents;
        contents.append(buffer.data(), static_cast<std::size_t>(got));
    }
}

std::filesystem::path temporarySibling(const std::filesystem::path& path) {
    auto name = "." + path.filename().string() + "." + Uuid().toString() + ".tmp";
    return path.parent_path() / name;
}

void writeAtomically(const std::filesystem::path& path, std::string_view bytes, std::optional<mode_t> mode) {
    const auto temporary = temporarySibling(path);
    try {
        writeNewFile(temporary, path, bytes, mode);
        if (::rename(temporary.c_str(), path.c_str()) != 0) throw FileError::fromErrno(errno, "Cannot replace", path);
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }
    syncFolder(path.parent_path());
}

bool syncFolder(const std::filesystem::path& folder) noexcept {
    const FileDescriptor fd(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.valid() && ::fsync(fd.get()) == 0;
}

} // namespace platform::files
