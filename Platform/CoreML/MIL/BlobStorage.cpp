#include "Platform/CoreML/MIL/BlobStorage.hpp"

#include "Platform/Accel/Float16.hpp"
#include "Platform/CoreML/MIL/BlobStorageFormat.hpp"
#include "Platform/CoreML/MIL/BrainFloat.hpp"
#include "Platform/CoreML/MIL/Parallel.hpp"
#include "Platform/CoreML/MIL/SubBytePacking.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <limits>
#include <system_error>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::coreml::mil {

static_assert(std::endian::native == std::endian::little, "weight files are read in place as little-endian");

namespace {

constexpr std::int64_t parallelGrain = 1 << 18;

template <typename T>
T load(const std::uint8_t* at) {
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

std::string quoted(const std::filesystem::path& path) { return "\"" + path.string() + "\""; }

std::string systemMessage(int error) { return std::generic_category().message(error); }

class FileDescriptor {
public:
    explicit FileDescriptor(int descriptor) : descriptor_(descriptor) {}
    ~FileDescriptor() {
        if (descriptor_ >= 0) {
            ::close(descriptor_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return descriptor_; }

private:
    int descriptor_;
};

void decodeHalves(const std::uint8_t* payload, std::span<float> values) {
    parallelFor(static_cast<std::int64_t>(values.size()), parallelGrain, [&](std::int64_t begin, std::int64_t end) {
        // Through an aligned buffer: a payload offset need not be even.
        std::array<std::uint16_t, 4096> bits;
        for (auto i = begin; i < end;) {
            const auto n = static_cast<std::size_t>(std::min<std::int64_t>(end - i, bits.size()));
            std::memcpy(bits.data(), payload + i * 2, n * 2);
            accel::convertHalfToFloat(std::span(bits).first(n), values.subspan(static_cast<std::size_t>(i), n));
            i += static_cast<std::int64_t>(n);
        }
    });
}

void decodeBrainFloats(const std::uint8_t* payload, std::span<float> values) {
    parallelFor(static_cast<std::int64_t>(values.size()), parallelGrain, [&](std::int64_t begin, std::int64_t end) {
        for (auto i = begin; i < end; ++i) {
            values[static_cast<std::size_t>(i)] = brainFloatToFloat(load<std::uint16_t>(payload + i * 2));
        }
    });
}

template <typename Raw>
void decodeIntegers(const std::uint8_t* payload, std::span<std::int32_t> values) {
    parallelFor(static_cast<std::int64_t>(values.size()), parallelGrain, [&](std::int64_t begin, std::int64_t end) {
        for (auto i = begin; i < end; ++i) {
            values[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(load<Raw>(payload + i * sizeof(Raw)));
        }
    });
}

// Why a shape's payload cannot be in this file, if it cannot; otherwise its size in bits.
struct PayloadBits {
    std::uint64_t bits = 0;
    std::string problem;
};

PayloadBits payloadBits(const Shape& shape, int bitsPerElement, std::uint64_t fileSize) {
    if (std::ranges::any_of(shape, [](auto size) { return size < 0; })) {
        return {0, "cannot have the declared shape " + describeShape(shape)};
    }
    if (std::ranges::any_of(shape, [](auto size) { return size == 0; })) {
        return {};
    }
    const auto limit = fileSize * 8;
    std::uint64_t bits = static_cast<std::uint64_t>(bitsPerElement);
    for (const auto size : shape) {
        if (bits > limit / static_cast<std::uint64_t>(size)) {
            return {0, "cannot have the declared shape " + describeShape(shape) + ": it needs more bytes than the whole file holds"};
        }
        bits *= static_cast<std::uint64_t>(size);
    }
    return {bits, {}};
}

} // namespace

struct BlobStorage::Record {
    std::uint64_t dataOffset = 0;
    std::uint64_t size = 0;
};

std::shared_ptr<const BlobStorage> BlobStorage::open(const std::filesystem::path& path) {
    // Non-blocking, so that a FIFO in place of the file cannot hang the open.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0) {
        throw BlobStorageError(BlobStorageErrorKind::unreadable,
                               "The weight file " + quoted(path) + " cannot be opened: " + systemMessage(errno));
    }
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) {
        throw BlobStorageError(BlobStorageErrorKind::unreadable,
                               "The weight file " + quoted(path) + " cannot be examined: " + systemMessage(errno));
    }
    if (!S_ISREG(status.st_mode)) {
        throw BlobStorageError(BlobStorageErrorKind::unreadable, "The weight file " + quoted(path) + " is not a regular file");
    }
    const auto size = static_cast<std::uint64_t>(status.st_size);
    if (size < blobformat::headerSize) {
        throw BlobStorageError(BlobStorageErrorKind::damaged, "The weight file " + quoted(path) + " is damaged: its " +
                                                                  std::to_string(size) + " bytes cannot hold the 64-byte header");
    }
    void* mapping = ::mmap(nullptr, static_cast<std::size_t>(size), PROT_READ, MAP_PRIVATE, file.get(), 0);
    if (mapping == MAP_FAILED) {
        throw BlobStorageError(BlobStorageErrorKind::unreadable,
                               "The weight file " + quoted(path) + " cannot be mapped: " + systemMessage(errno));
    }
    auto storage = std::make_shared<BlobStorage>(Key{}, path, static_cast<const std::uint8_t*>(mapping), size);
    const auto version = load<std::uint32_t>(storage->data_ + blobformat::headerVersionField);
    if (version != blobformat::version) {
        throw BlobStorageError(BlobStorageErrorKind::damaged, "The weight file " + quoted(path) + " is damaged: its version is " +
                                                                  std::to_string(version) + ", not 2");
    }
    return storage;
}

BlobStorage::BlobStorage(Key, std::filesystem::path path, const std::uint8_t* data, std::uint64_t size)
    : path_(std::move(path)), data_(data), size_(size) {}

BlobStorage::~BlobStorage() { ::munmap(const_cast<std::uint8_t*>(data_), static_cast<std::size_t>(size_)); }

void BlobStorage::fail(BlobStorageErrorKind kind, std::uint64_t recordOffset, const std::string& reason) const {
    const auto where = "the blob at offset " + std::to_string(recordOffset);
    if (kind == BlobStorageErrorKind::unsupported) {
        throw BlobStorageError(kind, "The weight file " + quoted(path_) + " cannot be read here: " + where + " " + reason);
    }
    throw BlobStorageError(kind, "The weight file " + quoted(path_) + " is damaged: " + where + " " + reason);
}

BlobStorage::Record BlobStorage::readRecord(std::uint64_t recordOffset, DataType type, const Shape& shape) const {
    using namespace blobformat;
    if (recordOffset < headerSize) {
        fail(BlobStorageErrorKind::damaged, recordOffset, "lies inside the file header");
    }
    if (recordOffset % alignment != 0) {
        fail(BlobStorageErrorKind::damaged, recordOffset, "is not on a 64-byte boundary");
    }
    if (recordOffset > size_ - recordSize) {
        fail(BlobStorageErrorKind::damaged, recordOffset,
             "lies outside the file of " + std::to_string(size_) + " bytes");
    }
    const auto* record = data_ + recordOffset;
    if (load<std::uint32_t>(record + recordSentinelField) != sentinel) {
        fail(BlobStorageErrorKind::damaged, recordOffset, "has no blob marker");
    }
    const auto code = load<std::uint32_t>(record + recordTypeField);
    const auto stored = typeForCode(code);
    if (!stored) {
        const bool float8 = code == 16 || code == 17;
        fail(BlobStorageErrorKind::unsupported, recordOffset,
             float8 ? "holds 8-bit floats (type code " + std::to_string(code) + "), which this runtime cannot hold"
                    : "holds elements of the unknown type code " + std::to_string(code));
    }
    if (*stored != type) {
        fail(BlobStorageErrorKind::damaged, recordOffset,
             "holds " + std::string(dataTypeName(*stored)) + " but the program declares " + std::string(dataTypeName(type)));
    }
    const auto needed = payloadBits(shape, bitWidth(type), size_);
    if (!needed.problem.empty()) {
        fail(BlobStorageErrorKind::damaged, recordOffset, needed.problem);
    }
    const Record result{load<std::uint64_t>(record + recordDataOffsetField), load<std::uint64_t>(record + recordSizeField)};
    const auto neededBytes = (needed.bits + 7) / 8;
    if (result.size != neededBytes) {
        fail(BlobStorageErrorKind::damaged, recordOffset,
             "holds " + std::to_string(result.size) + " bytes but " + std::string(dataTypeName(type)) + " " +
                 describeShape(shape) + " needs " + std::to_string(neededBytes));
    }
    if (result.dataOffset > size_ || result.size > size_ - result.dataOffset) {
        fail(BlobStorageErrorKind::damaged, recordOffset,
             "has " + std::to_string(result.size) + " bytes of data at offset " + std::to_string(result.dataOffset) +
                 " that run past the end of the file (" + std::to_string(size_) + " bytes); the file is truncated");
    }
    return result;
}

Tensor BlobStorage::read(std::uint64_t recordOffset, DataType type, const Shape& shape) const {
    const auto record = readRecord(recordOffset, type, shape);
    const auto* payload = data_ + record.dataOffset;
    Tensor tensor(type, shape, Tensor::Unfilled{});
    switch (type) {
    case DataType::fp16: decodeHalves(payload, tensor.mutableFloatValues()); break;
    case DataType::bf16: decodeBrainFloats(payload, tensor.mutableFloatValues()); break;
    case DataType::fp32: std::memcpy(tensor.mutableFloatValues().data(), payload, record.size); break;
    case DataType::int8: decodeIntegers<std::int8_t>(payload, tensor.mutableIntValues()); break;
    case DataType::uint8: decodeIntegers<std::uint8_t>(payload, tensor.mutableIntValues()); break;
    case DataType::int16: decodeIntegers<std::int16_t>(payload, tensor.mutableIntValues()); break;
    case DataType::uint16: decodeIntegers<std::uint16_t>(payload, tensor.mutableIntValues()); break;
    case DataType::int32: decodeIntegers<std::int32_t>(payload, tensor.mutableIntValues()); break;
    case DataType::uint32: {
        for (std::int64_t i = 0; i < tensor.count(); ++i) {
            if (load<std::uint32_t>(payload + i * 4) > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) {
                fail(BlobStorageErrorKind::unsupported, recordOffset,
                     "holds a uint32 element above 2147483647, which this runtime cannot hold");
            }
        }
        decodeIntegers<std::uint32_t>(payload, tensor.mutableIntValues());
        break;
    }
    default:
        unpackBits({payload, static_cast<std::size_t>(record.size)}, bitWidth(type), type == DataType::int4,
                   tensor.mutableIntValues());
        break;
    }
    releasePages(record.dataOffset, record.size);
    return tensor;
}

// The decoded copy is all a caller keeps; dropping the mapped pages keeps the
// resident size of a loaded model near that of its decoded weights. Pages a
// neighbouring blob shares are simply faulted in again from the file if read.
void BlobStorage::releasePages(std::uint64_t offset, std::uint64_t length) const {
    if (length == 0) {
        return;
    }
    const auto page = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
    const auto begin = offset / page * page;
    const auto end = std::min(blobformat::roundUp(offset + length, page), blobformat::roundUp(size_, page));
    ::madvise(const_cast<std::uint8_t*>(data_) + begin, static_cast<std::size_t>(end - begin), MADV_DONTNEED);
}

} // namespace platform::coreml::mil
