#include "Platform/Files/FileDescriptor.hpp"

#include <cerrno>
#include <unistd.h>

namespace platform::files {

int FileDescriptor::close() {
    if (fd_ < 0) return 0;
    const int result = ::close(std::exchange(fd_, -1));
    return result == 0 ? 0 : errno;
}

void FileDescriptor::reset() {
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
}

} // namespace platform::files
