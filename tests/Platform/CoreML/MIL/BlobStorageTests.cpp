#include "Platform/CoreML/MIL/BlobStorage.hpp"
#include "Platform/CoreML/MIL/BlobStorageWriter.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include <sys/stat.h>

namespace {

using namespace platform::coreml::mil;
using Bytes = std::vector<std::uint8_t>;
using testing::HasSubstr;

std::uint32_t u32At(const Bytes& bytes, std::size_t at) {
    std::uint32_t value;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

std::uint64_t u64At(const Bytes& bytes, std::size_t at) {
    std::uint64_t value;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

void putU32(Bytes& bytes, std::size_t at, std::uint32_t value) { std::memcpy(bytes.data() + at, &value, sizeof value); }
void putU64(Bytes& bytes, std::size_t at, std::uint64_t value) { std::memcpy(bytes.data() + at, &value, sizeof value); }

std::filesystem::path writeBytes(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

// --- Layout -----------------------------------------------------------------

TEST(BlobStorageWriter, PlacesRecordsAtTheKnownOffsets) {
    BlobStorageWriter floats;
    EXPECT_EQ(floats.add(DataType::fp32, std::vector<float>(500)), 64u);
    EXPECT_EQ(floats.add(DataType::fp32, std::vector<float>(1)), 2176u);

    BlobStorageWriter halves;
    EXPECT_EQ(halves.add(DataType::fp16, std::vector<float>(8 * 1 * 5 * 5)), 64u);
    EXPECT_EQ(halves.add(DataType::fp16, std::vector<float>(5 * 6272, 1.5f)), 576u);
    EXPECT_EQ(halves.add(DataType::fp16, std::vector<float>(1)), 63360u);

    const auto bytes = halves.bytes();
    EXPECT_EQ(u32At(bytes, 0), 3u) << "blob count";
    EXPECT_EQ(u32At(bytes, 4), 2u) << "version";
    for (std::size_t reserved = 8; reserved < 64; ++reserved) {
        EXPECT_EQ(bytes[reserved], 0) << "header byte " << reserved;
    }
    EXPECT_EQ(u32At(bytes, 576), 0xDEADBEEFu);
    EXPECT_EQ(u32At(bytes, 580), 1u) << "fp16 type code";
    EXPECT_EQ(u64At(bytes, 584), 62720u) << "payload bytes";
    EXPECT_EQ(u64At(bytes, 592), 640u) << "payload offset";
    EXPECT_EQ(u64At(bytes, 600), 0u) << "padding bits";
    EXPECT_EQ(bytes[640], 0x00);
    EXPECT_EQ(bytes[641], 0x3E) << "1.5 as fp16 is 0x3E00";
    EXPECT_EQ(bytes.size(), 63360u + 64 + 2) << "the file ends with the last payload";
}

TEST(BlobStorageWriter, PacksSubByteElementsLsbFirst) {
    struct Case {
        const char* name;
        DataType type;
        std::vector<std::int32_t> values;
        std::uint32_t code;
        Bytes payload;
        std::uint64_t paddingBits;
    };
    const std::vector<Case> cases{
        {"uint1 nine elements", DataType::uint1, {1, 0, 1, 1, 0, 0, 0, 0, 1}, 9, {0x0D, 0x01}, 7},
        {"uint2 low pair first", DataType::uint2, {0, 1, 2, 3}, 10, {0xE4}, 0},
        {"uint3 straddles bytes", DataType::uint3, {5, 3, 7}, 12, {0xDD, 0x01}, 7},
        {"uint4 low nibble first", DataType::uint4, {0xA, 0x3, 0xF}, 11, {0x3A, 0x0F}, 4},
        {"uint6 straddles bytes", DataType::uint6, {1, 62}, 13, {0x81, 0x0F}, 4},
        {"int4 two's complement", DataType::int4, {-1, 2, -8}, 8, {0x2F, 0x08}, 4},
        {"int8 two's complement", DataType::int8, {-2, 5}, 4, {0xFE, 0x05}, 0},
        {"uint16 little-endian", DataType::uint16, {0x1234}, 7, {0x34, 0x12}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BlobStorageWriter writer;
        ASSERT_EQ(writer.add(c.type, c.values), 64u);
        const auto bytes = writer.bytes();
        EXPECT_EQ(u32At(bytes, 68), c.code);
        EXPECT_EQ(u64At(bytes, 72), c.payload.size());
        EXPECT_EQ(u64At(bytes, 88), c.paddingBits);
        EXPECT_EQ(Bytes(bytes.begin() + 128, bytes.end()), c.payload);
    }
}

TEST(BlobStorageWriter, RejectsValuesTheTypeCannotHold) {
    struct Case {
        const char* name;
        std::function<void(BlobStorageWriter&)> add;
    };
    const std::vector<Case> cases{
        {"uint3 above 7", [](auto& w) { w.add(DataType::uint3, std::vector<std::int32_t>{8}); }},
        {"uint1 negative", [](auto& w) { w.add(DataType::uint1, std::vector<std::int32_t>{-1}); }},
        {"int4 below -8", [](auto& w) { w.add(DataType::int4, std::vector<std::int32_t>{-9}); }},
        {"int8 above 127", [](auto& w) { w.add(DataType::int8, std::vector<std::int32_t>{128}); }},
        {"uint32 negative", [](auto& w) { w.add(DataType::uint32, std::vector<std::int32_t>{-1}); }},
        {"integers as fp16", [](auto& w) { w.add(DataType::fp16, std::vector<std::int32_t>{1}); }},
        {"floats as int8", [](auto& w) { w.add(DataType::int8, std::vector<float>{1}); }},
        {"no int64 blobs", [](auto& w) { w.add(DataType::int64, std::vector<std::int32_t>{1}); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BlobStorageWriter writer;
        EXPECT_THROW(c.add(writer), std::invalid_argument);
        EXPECT_EQ(u32At(writer.bytes(), 0), 0u) << "nothing was added";
    }
}

TEST(BlobStorageWriter, WritesIntoNewFoldersAndReportsFailure) {
    const testsupport::TemporaryDirectory folder;
    BlobStorageWriter writer;
    writer.add(DataType::fp32, std::vector<float>{1, 2});
    const auto path = folder / "bundle.mlmodelc/weights/weight.bin";
    writer.write(path);
    EXPECT_EQ(BlobStorage::open(path)->read(64, DataType::fp32, {2}).toFloats(), (std::vector<float>{1, 2}));

    folder.write("plain-file", "x");
    EXPECT_THROW(writer.write(folder / "plain-file/weight.bin"), platform::Error);
}

// --- Round trip ---------------------------------------------------------------

TEST(BlobStorage, ReadsBackEveryElementType) {
    using Values = std::variant<std::vector<float>, std::vector<std::int32_t>>;
    struct Case {
        const char* name;
        DataType type;
        Shape shape;
        Values written;
        Values expected;
    };
    constexpr auto int32Min = std::numeric_limits<std::int32_t>::min();
    constexpr auto int32Max = std::numeric_limits<std::int32_t>::max();
    const std::vector<Case> cases{
        {"fp16 exact and rounded", DataType::fp16, {2, 3},
         std::vector<float>{0, -1.5f, 65504, 0x1p-14f, 0x1p-24f, 1.0f / 3},
         std::vector<float>{0, -1.5f, 65504, 0x1p-14f, 0x1p-24f, 0.333251953125f}},
        {"bf16 exact and rounded", DataType::bf16, {3}, std::vector<float>{256, -0.0078125f, 1.0f / 3},
         std::vector<float>{256, -0.0078125f, 0.333984375f}},
        {"fp32", DataType::fp32, {2, 2}, std::vector<float>{1e-30f, -3.25f, 1e30f, 0},
         std::vector<float>{1e-30f, -3.25f, 1e30f, 0}},
        {"int8", DataType::int8, {4}, std::vector<std::int32_t>{-128, 127, 0, -1}, std::vector<std::int32_t>{-128, 127, 0, -1}},
        {"uint8", DataType::uint8, {3}, std::vector<std::int32_t>{0, 255, 128}, std::vector<std::int32_t>{0, 255, 128}},
        {"int16", DataType::int16, {3}, std::vector<std::int32_t>{-32768, 32767, -2}, std::vector<std::int32_t>{-32768, 32767, -2}},
        {"uint16", DataType::uint16, {2}, std::vector<std::int32_t>{65535, 1}, std::vector<std::int32_t>{65535, 1}},
        {"int32", DataType::int32, {3}, std::vector<std::int32_t>{int32Min, int32Max, -7}, std::vector<std::int32_t>{int32Min, int32Max, -7}},
        {"uint32", DataType::uint32, {2}, std::vector<std::int32_t>{0, int32Max}, std::vector<std::int32_t>{0, int32Max}},
        {"int4 sign-extended", DataType::int4, {3, 3}, std::vector<std::int32_t>{-8, -7, -1, 0, 1, 6, 7, -2, 3},
         std::vector<std::int32_t>{-8, -7, -1, 0, 1, 6, 7, -2, 3}},
        {"uint1", DataType::uint1, {11}, std::vector<std::int32_t>{1, 0, 0, 1, 1, 1, 0, 1, 0, 1, 1},
         std::vector<std::int32_t>{1, 0, 0, 1, 1, 1, 0, 1, 0, 1, 1}},
        {"uint2", DataType::uint2, {7}, std::vector<std::int32_t>{3, 2, 1, 0, 1, 2, 3}, std::vector<std::int32_t>{3, 2, 1, 0, 1, 2, 3}},
        {"uint3 straddling", DataType::uint3, {1, 11}, std::vector<std::int32_t>{7, 6, 5, 4, 3, 2, 1, 0, 7, 5, 3},
         std::vector<std::int32_t>{7, 6, 5, 4, 3, 2, 1, 0, 7, 5, 3}},
        {"uint4", DataType::uint4, {5}, std::vector<std::int32_t>{15, 0, 9, 6, 1}, std::vector<std::int32_t>{15, 0, 9, 6, 1}},
        {"uint6 straddling", DataType::uint6, {7}, std::vector<std::int32_t>{63, 0, 42, 21, 1, 62, 33},
         std::vector<std::int32_t>{63, 0, 42, 21, 1, 62, 33}},
        {"empty", DataType::fp16, {0, 4}, std::vector<float>{}, std::vector<float>{}},
    };
    BlobStorageWriter writer;
    std::vector<std::uint64_t> offsets;
    for (const auto& c : cases) {
        offsets.push_back(std::visit([&](const auto& values) { return writer.add(c.type, values); }, c.written));
    }
    const testsupport::TemporaryDirectory folder;
    writer.write(folder / "weight.bin");
    auto storage = BlobStorage::open(folder / "weight.bin");
    std::vector<Tensor> tensors;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        tensors.push_back(storage->read(offsets[i], cases[i].type, cases[i].shape));
    }
    storage.reset(); // the tensors are copies: they outlive the mapping
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(c.name);
        EXPECT_EQ(tensors[i].dataType(), c.type);
        EXPECT_EQ(tensors[i].shape(), c.shape);
        if (const auto* floats = std::get_if<std::vector<float>>(&c.expected)) {
            EXPECT_EQ(std::vector<float>(tensors[i].floatValues().begin(), tensors[i].floatValues().end()), *floats);
        } else {
            const auto& ints = std::get<std::vector<std::int32_t>>(c.expected);
            EXPECT_EQ(std::vector<std::int32_t>(tensors[i].intValues().begin(), tensors[i].intValues().end()), ints);
        }
    }
}

TEST(BlobStorage, DecodesLargeBlobsWhole) {
    constexpr std::int64_t count = (1 << 20) + 3;
    std::vector<float> halves(count);
    std::vector<std::int32_t> threes(count);
    std::vector<std::int32_t> fours(count);
    for (std::int64_t i = 0; i < count; ++i) {
        halves[static_cast<std::size_t>(i)] = static_cast<float>(i % 2048 - 1024);
        threes[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(i * 5 % 8);
        fours[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(i * 3 % 16 - 8);
    }
    BlobStorageWriter writer;
    const auto halvesAt = writer.add(DataType::fp16, halves);
    const auto threesAt = writer.add(DataType::uint3, threes);
    const auto foursAt = writer.add(DataType::int4, fours);
    const testsupport::TemporaryDirectory folder;
    writer.write(folder / "weight.bin");
    const auto storage = BlobStorage::open(folder / "weight.bin");

    const auto readHalves = storage->read(halvesAt, DataType::fp16, {count});
    EXPECT_TRUE(std::ranges::equal(readHalves.floatValues(), halves));
    const auto readThrees = storage->read(threesAt, DataType::uint3, {count});
    EXPECT_TRUE(std::ranges::equal(readThrees.intValues(), threes));
    const auto readFours = storage->read(foursAt, DataType::int4, {1, count});
    EXPECT_TRUE(std::ranges::equal(readFours.intValues(), fours));
}

// --- Damage -------------------------------------------------------------------

// Two blobs: fp16[4] with its record at 64 (data 128..135) and fp32[3] at 192
// (data 256..267); the file is 268 bytes.
Bytes sampleFile() {
    BlobStorageWriter writer;
    writer.add(DataType::fp16, std::vector<float>{1, 2, 3, 4});
    writer.add(DataType::fp32, std::vector<float>{5, 6, 7});
    return writer.bytes();
}

TEST(BlobStorage, RejectsDamagedRecordsNamingTheOffset) {
    struct Case {
        const char* name;
        std::function<void(Bytes&)> damage;
        std::uint64_t offset;
        DataType type;
        Shape shape;
        BlobStorageErrorKind kind;
        const char* text;
    };
    const auto none = [](Bytes&) {};
    using enum BlobStorageErrorKind;
    const std::vector<Case> cases{
        {"record inside the header", none, 0, DataType::fp16, {4}, damaged, "offset 0 lies inside the file header"},
        {"record off the 64-byte grid", none, 65, DataType::fp16, {4}, damaged, "offset 65 is not on a 64-byte boundary"},
        {"record past the end", none, 4096, DataType::fp16, {4}, damaged, "offset 4096 lies outside the file"},
        {"record cut by the end", none, 256, DataType::fp32, {3}, damaged, "offset 256 lies outside the file"},
        {"wrong sentinel", [](Bytes& b) { b[64] = 0xEE; }, 64, DataType::fp16, {4}, damaged, "offset 64 has no blob marker"},
        {"type disagrees with the program", none, 64, DataType::fp32, {2}, damaged, "offset 64 holds fp16 but the program declares fp32"},
        {"shape disagrees with the size", none, 64, DataType::fp16, {5}, damaged, "offset 64 holds 8 bytes but fp16 [5] needs 10"},
        {"size field altered", [](Bytes& b) { putU64(b, 72, 6); }, 64, DataType::fp16, {4}, damaged, "holds 6 bytes"},
        {"negative dimension", none, 64, DataType::fp16, {-4}, damaged, "offset 64 cannot have the declared shape [-4]"},
        {"shape larger than the file", none, 64, DataType::fp16, {1LL << 40, 1LL << 40}, damaged, "needs more bytes than the whole file"},
        {"data offset past the end", [](Bytes& b) { putU64(b, 80, 264); }, 64, DataType::fp16, {4}, damaged,
         "offset 64 has 8 bytes of data at offset 264 that run past the end"},
        {"data offset near the top of 64 bits", [](Bytes& b) { putU64(b, 80, ~std::uint64_t{0} - 2); }, 64, DataType::fp16, {4},
         damaged, "run past the end"},
        {"truncated file", [](Bytes& b) { b.resize(260); }, 192, DataType::fp32, {3}, damaged, "the file is truncated"},
        {"8-bit float E4M3", [](Bytes& b) { putU32(b, 68, 16); }, 64, DataType::fp16, {4}, unsupported,
         "offset 64 holds 8-bit floats (type code 16)"},
        {"8-bit float E5M2", [](Bytes& b) { putU32(b, 68, 17); }, 64, DataType::fp16, {4}, unsupported, "type code 17"},
        {"unknown type code", [](Bytes& b) { putU32(b, 68, 99); }, 64, DataType::fp16, {4}, unsupported, "unknown type code 99"},
        {"uint32 beyond int32",
         [](Bytes& b) {
             putU32(b, 196, 15);
             putU32(b, 260, 0x80000000u);
         },
         192, DataType::uint32, {3}, unsupported, "offset 192 holds a uint32 element above 2147483647"},
    };
    const testsupport::TemporaryDirectory folder;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto bytes = sampleFile();
        c.damage(bytes);
        const auto storage = BlobStorage::open(writeBytes(folder / "weight.bin", bytes));
        try {
            storage->read(c.offset, c.type, c.shape);
            ADD_FAILURE() << "read succeeded";
        } catch (const BlobStorageError& error) {
            EXPECT_EQ(error.kind(), c.kind);
            EXPECT_THAT(error.what(), HasSubstr(c.text));
            EXPECT_THAT(error.what(), HasSubstr("weight.bin"));
        }
    }
}

TEST(BlobStorage, ToleratesWhatOlderWritersLeft) {
    struct Case {
        const char* name;
        std::function<void(Bytes&)> change;
        std::vector<float> expected;
    };
    const std::vector<Case> cases{
        {"garbage in the reserved words", [](Bytes& b) { std::fill(b.begin() + 96, b.begin() + 128, 0xA5); }, {1, 2, 3, 4}},
        {"garbage padding count", [](Bytes& b) { putU64(b, 88, 12345); }, {1, 2, 3, 4}},
        {"wrong blob count in the header", [](Bytes& b) { putU32(b, 0, 77); }, {1, 2, 3, 4}},
        // The payload need not follow its record, as long as it lies in the file:
        // here it is the first 8 bytes of the other blob's fp32 data, 5.0f and 6.0f.
        {"payload elsewhere in the file", [](Bytes& b) { putU64(b, 80, 256); }, {0, 2.3125f, 0, 2.375f}},
    };
    const testsupport::TemporaryDirectory folder;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto bytes = sampleFile();
        c.change(bytes);
        const auto storage = BlobStorage::open(writeBytes(folder / "weight.bin", bytes));
        EXPECT_EQ(storage->read(64, DataType::fp16, {4}).toFloats(), c.expected);
    }
}

TEST(BlobStorage, OpenTellsUnreadableFromDamaged) {
    struct Case {
        const char* name;
        std::function<std::filesystem::path(const testsupport::TemporaryDirectory&)> make;
        BlobStorageErrorKind kind;
        const char* text;
    };
    using enum BlobStorageErrorKind;
    const std::vector<Case> cases{
        {"missing file", [](const auto& f) { return f / "absent/weight.bin"; }, unreadable, "cannot be opened"},
        {"a folder", [](const auto& f) { return f.path(); }, unreadable, "is not a regular file"},
        {"a FIFO",
         [](const auto& f) {
             const auto path = f / "fifo";
             ::mkfifo(path.c_str(), 0600);
             return path;
         },
         unreadable, "is not a regular file"},
        {"empty file", [](const auto& f) { return f.write("weight.bin", ""); }, damaged, "0 bytes cannot hold the 64-byte header"},
        {"shorter than the header", [](const auto& f) { return f.write("weight.bin", std::string(63, '\0')); }, damaged,
         "63 bytes cannot hold"},
        {"version 1",
         [](const auto& f) {
             auto bytes = sampleFile();
             putU32(bytes, 4, 1);
             return writeBytes(f / "weight.bin", bytes);
         },
         damaged, "its version is 1, not 2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const testsupport::TemporaryDirectory folder;
        const auto path = c.make(folder);
        try {
            BlobStorage::open(path);
            ADD_FAILURE() << "open succeeded";
        } catch (const BlobStorageError& error) {
            EXPECT_EQ(error.kind(), c.kind);
            EXPECT_THAT(error.what(), HasSubstr(c.text));
        }
    }
}

// --- Memory -------------------------------------------------------------------

// Resident bytes of this process's mappings of `file`, from /proc/self/smaps:
// a mapping's line ("start-end perms offset device inode path") is followed by
// "Key: value" lines, one of them "Rss: N kB".
std::optional<std::uint64_t> residentBytesOfMapping(const std::filesystem::path& file) {
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    bool inFile = false;
    std::optional<std::uint64_t> total;
    while (std::getline(smaps, line)) {
        std::istringstream fields(line);
        std::string first;
        fields >> first;
        if (!first.empty() && first.back() != ':') {
            std::string permissions, offset, device, inode, path;
            fields >> permissions >> offset >> device >> inode >> std::ws;
            std::getline(fields, path);
            inFile = path == file.string();
        } else if (inFile && first == "Rss:") {
            std::uint64_t kilobytes = 0;
            fields >> kilobytes;
            total = total.value_or(0) + kilobytes * 1024;
        }
    }
    return total;
}

// The mapped pages of a payload are handed back once decoded. mincore cannot
// show this (it reports the file's page cache, which stays warm), so the test
// reads the mapping's resident size from the kernel's per-mapping accounting.
TEST(BlobStorage, ReleasesPayloadPagesAfterReading) {
    constexpr std::int64_t count = 4 << 20; // 8 MiB of fp16
    BlobStorageWriter writer;
    const auto offset = writer.add(DataType::fp16, std::vector<float>(count, 0.5f));
    const testsupport::TemporaryDirectory folder;
    const auto path = std::filesystem::canonical(folder.path()) / "weight.bin";
    writer.write(path);
    const auto storage = BlobStorage::open(path);

    const auto tensor = storage->read(offset, DataType::fp16, {count});
    EXPECT_EQ(tensor.floatValues()[count - 1], 0.5f);
    const auto resident = residentBytesOfMapping(path);
    ASSERT_TRUE(resident.has_value()) << "the weight file is not mapped";
    EXPECT_LT(*resident, 256u * 1024) << "payload pages still resident after reading";
}

} // namespace
