#pragma once
// One weight file mapped read-only: a program's large constants, read one blob
// at a time into tensors. The mapping lives as long as the object; each read
// returns an independent copy and hands the payload's pages back to the system,
// so a loaded model does not keep both the file and its decoded weights resident.

#include "Platform/Core/Error.hpp"
#include "Platform/CoreML/MIL/Tensor.hpp"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>

namespace platform::coreml::mil {

enum class BlobStorageErrorKind {
    unreadable,  // the file is missing, not a regular file, or cannot be opened or mapped
    damaged,     // the file or a blob record contradicts the format or the program
    unsupported, // an intact blob holds elements this runtime cannot hold
};

class BlobStorageError : public platform::ErrorOf<BlobStorageErrorKind> {
public:
    using ErrorOf::ErrorOf;
};

class BlobStorage {
    struct Key {};

public:
    // Maps the file and checks its header.
    static std::shared_ptr<const BlobStorage> open(const std::filesystem::path& path);

    BlobStorage(Key, std::filesystem::path path, const std::uint8_t* data, std::uint64_t size);
    ~BlobStorage();
    BlobStorage(const BlobStorage&) = delete;
    BlobStorage& operator=(const BlobStorage&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::uint64_t size() const { return size_; }

    // Decodes the blob whose metadata record starts at `recordOffset` into a
    // tensor of `type` and `shape`: float types as float, integer and packed
    // sub-byte types as int32 (int4 sign-extended). Safe to call from several
    // threads at once.
    Tensor read(std::uint64_t recordOffset, DataType type, const Shape& shape) const;

private:
    struct Record;

    Record readRecord(std::uint64_t recordOffset, DataType type, const Shape& shape) const;
    void releasePages(std::uint64_t offset, std::uint64_t length) const;
    [[noreturn]] void fail(BlobStorageErrorKind kind, std::uint64_t recordOffset, const std::string& reason) const;

    std::filesystem::path path_;
    const std::uint8_t* data_;
    std::uint64_t size_;
};

} // namespace platform::coreml::mil
