#include "RazeziRuzer/Shared/MappedFileData.hpp"

#include "Platform/Files/FileDescriptor.hpp"
#include "Platform/Files/FileError.hpp"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>

namespace razeziruzer {

MappedFileData::MappedFileData(const std::filesystem::path& path) {
    platform::files::FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid()) throw platform::files::FileError::fromErrno(errno, "Cannot open", path);
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) throw platform::files::FileError::fromErrno(errno, "Cannot inspect", path);
    size_ = static_cast<std::size_t>(status.st_size);
    if (size_ == 0) return;
    void* mapped = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, file.get(), 0);
    if (mapped == MAP_FAILED) throw platform::files::FileError::fromErrno(errno, "Cannot map", path);
    data_ = static_cast<std::byte*>(mapped);
}

MappedFileData::~MappedFileData() {
    if (data_) ::munmap(data_, size_);
}

} // namespace razeziruzer
