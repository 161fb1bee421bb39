#include "Platform/Files/FileError.hpp"

#include <cerrno>
#include <cstring>
#include <string>

namespace platform::files {

namespace {

FileErrorKind kindOf(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR: return FileErrorKind::notFound;
    case EACCES:
    case EPERM:
    case EROFS: return FileErrorKind::accessDenied;
    case EEXIST:
    case ENOTEMPTY: return FileErrorKind::alreadyExists;
    default: return FileErrorKind::ioFailure;
    }
}

} // namespace

FileError FileError::fromErrno(int error, std::string_view action, const std::filesystem::path& path) {
    std::string description(action);
    description += " \"" + path.string() + "\": " + std::strerror(error);
    return FileError(kindOf(error), description);
}

} // namespace platform::files
