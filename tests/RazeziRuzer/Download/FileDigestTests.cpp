#include "RazeziRuzer/FileDigest.hpp"

#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

namespace razeziruzer {
namespace {

struct DigestCase {
    const char* name;
    std::string bytes;
    const char* sha256;
    const char* gitBlobId;
};

// Published test vectors, and the blob ids git itself gives.
TEST(FileDigest, KnownDigestsOfBytesAndFiles) {
    const std::vector<DigestCase> cases{
        {"empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855",
         "e69de29bb2d1d6434b8b29ae775ad8c2e48c5391"},
        {"abc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", nullptr},
        {"56 bytes, padding spills into a second block", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1", nullptr},
        {"a million bytes, many blocks", std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0", nullptr},
        {"a line of text", "hello world\n", nullptr, "3b18e512dba79e4c8300dd08aeb37f8e728b8dad"},
    };
    const testsupport::TemporaryDirectory folder;
    for (const auto& entry : cases) {
        const auto file = folder.write("file", entry.bytes);
        if (entry.sha256) {
            EXPECT_EQ(sha256Hex(entry.bytes), entry.sha256) << entry.name;
            EXPECT_EQ(sha256OfFile(file), entry.sha256) << entry.name;
        }
        if (entry.gitBlobId) {
            EXPECT_EQ(gitBlobIdHex(entry.bytes), entry.gitBlobId) << entry.name;
            EXPECT_EQ(gitBlobIdOfFile(file), entry.gitBlobId) << entry.name;
        }
    }
}

} // namespace
} // namespace razeziruzer
