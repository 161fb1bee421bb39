#pragma once
// The read-only contents of a file, mapped into memory rather than read, so a
// long file costs address space instead of resident memory. The mapping stays
// valid after the file is deleted and is released when the object goes.

#include <cstddef>
#include <filesystem>
#include <span>

namespace razeziruzer {

class MappedFileData {
public:
    // Throws platform::files::FileError when the file cannot be opened, sized or mapped.
    explicit MappedFileData(const std::filesystem::path& path);
    ~MappedFileData();
    MappedFileData(const MappedFileData&) = delete;
    MappedFileData& operator=(const MappedFileData&) = delete;

    std::span<const std::byte> bytes() const { return {data_, size_}; }

private:
    std::byte* data_ = nullptr; // null for an empty file, which cannot be mapped
    std::size_t size_ = 0;
};

} // namespace razeziruzer
