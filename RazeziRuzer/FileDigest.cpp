#include "RazeziRuzer/FileDigest.hpp"

#include "Platform/Files/FileError.hpp"

#include <array>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <vector>

namespace razeziruzer {
namespace {

using platform::files::FileError;
using platform::files::FileErrorKind;

constexpr std::uint32_t rotateLeft(std::uint32_t value, int bits) { return (value << bits) | (value >> (32 - bits)); }
constexpr std::uint32_t rotateRight(std::uint32_t value, int bits) { return (value >> bits) | (value << (32 - bits)); }

std::uint32_t bigEndianWord(const unsigned char* bytes) {
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) | (std::uint32_t{bytes[2]} << 8) |
           std::uint32_t{bytes[3]};
}

// Both hashes share the padding of 64-byte blocks and the big-endian
// length; they differ in their state and block function.
template <typename Compression, std::size_t StateWords>
class BlockHash {
public:
    explicit BlockHash(std::array<std::uint32_t, StateWords> initial) : state_(initial) {}

    void update(std::string_view bytes) {
        length_ += bytes.size();
        for (const char byte : bytes) {
            block_[used_++] = static_cast<unsigned char>(byte);
            if (used_ == block_.size()) {
                Compression::compress(state_, block_.data());
                used_ = 0;
            }
        }
    }

    std::string hex() {
        const std::uint64_t bits = length_ * 8;
        update(std::string_view("\x80", 1));
        while (used_ != 56) update(std::string_view("\0", 1));
        char tail[8];
        for (int i = 0; i < 8; ++i) tail[i] = static_cast<char>((bits >> (56 - 8 * i)) & 0xff);
        update(std::string_view(tail, 8));
        static constexpr char digits[] = "0123456789abcdef";
        std::string text;
        for (const auto word : state_) {
            for (int shift = 28; shift >= 0; shift -= 4) text += digits[(word >> shift) & 0xf];
        }
        return text;
    }

private:
    std::array<std::uint32_t, StateWords> state_;
    std::array<unsigned char, 64> block_{};
    std::size_t used_ = 0;
    std::uint64_t length_ = 0;
};

struct Sha256Compression {
    static void compress(std::array<std::uint32_t, 8>& state, const unsigned char* block) {
        static constexpr std::uint32_t k[64] = {
            0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
            0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
            0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
            0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
            0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
            0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
            0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
            0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};
        std::uint32_t w[64];
        for (int i = 0; i < 16; ++i) w[i] = bigEndianWord(block + 4 * i);
        for (int i = 16; i < 64; ++i) {
            const auto s0 = rotateRight(w[i - 15], 7) ^ rotateRight(w[i - 15], 18) ^ (w[i - 15] >> 3);
            const auto s1 = rotateRight(w[i - 2], 17) ^ rotateRight(w[i - 2], 19) ^ (w[i - 2] >> 10);
            w[i] = w[i - 16] + s0 + w[i - 7] + s1;
        }
        auto [a, b, c, d, e, f, g, h] = state;
        for (int i = 0; i < 64; ++i) {
            const auto t1 = h + (rotateRight(e, 6) ^ rotateRight(e, 11) ^ rotateRight(e, 25)) + ((e & f) ^ (~e & g)) +
                            k[i] + w[i];
            const auto t2 = (rotateRight(a, 2) ^ rotateRight(a, 13) ^ rotateRight(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
            h = g;
            g = f;
            f = e;
            e = d + t1;
            d = c;
            c = b;
            b = a;
            a = t1 + t2;
        }
        const std::array<std::uint32_t, 8> added{a, b, c, d, e, f, g, h};
        for (std::size_t i = 0; i < 8; ++i) state[i] += added[i];
    }
};

struct Sha1Compression {
    static void compress(std::array<std::uint32_t, 5>& state, const unsigned char* block) {
        std::uint32_t w[80];
        for (int i = 0; i < 16; ++i) w[i] = bigEndianWord(block + 4 * i);
        for (int i = 16; i < 80; ++i) w[i] = rotateLeft(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
        auto [a, b, c, d, e] = state;
        for (int i = 0; i < 80; ++i) {
            std::uint32_t f = 0;
            std::uint32_t k = 0;
            if (i < 20) {
                f = (b & c) | (~b & d);
                k = 0x5a827999;
            } else if (i < 40) {
                f = b ^ c ^ d;
                k = 0x6ed9eba1;
            } else if (i < 60) {
                f = (b & c) | (b & d) | (c & d);
                k = 0x8f1bbcdc;
            } else {
                f = b ^ c ^ d;
                k = 0xca62c1d6;
            }
            const auto next = rotateLeft(a, 5) + f + e + k + w[i];
            e = d;
            d = c;
            c = rotateLeft(b, 30);
            b = a;
            a = next;
        }
        const std::array<std::uint32_t, 5> added{a, b, c, d, e};
        for (std::size_t i = 0; i < 5; ++i) state[i] += added[i];
    }
};

using Sha256 = BlockHash<Sha256Compression, 8>;
using Sha1 = BlockHash<Sha1Compression, 5>;

Sha256 newSha256() {
    return Sha256({0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19});
}

Sha1 newSha1() { return Sha1({0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476, 0xc3d2e1f0}); }

std::string blobHeader(std::uintmax_t size) {
    std::string header = "blob " + std::to_string(size);
    header.push_back('\0');
    return header;
}

template <typename Hash>
void feedFile(Hash& hash, const std::filesystem::path& file) {
    std::ifstream input(file, std::ios::binary);
    if (!input) throw FileError(FileErrorKind::ioFailure, "Cannot read " + file.string());
    std::vector<char> buffer(1 << 20);
    while (input) {
        input.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        hash.update(std::string_view(buffer.data(), static_cast<std::size_t>(input.gcount())));
    }
    if (input.bad()) throw FileError(FileErrorKind::ioFailure, "Cannot read " + file.string());
}

} // namespace

std::string sha256Hex(std::string_view bytes) {
    auto hash = newSha256();
    hash.update(bytes);
    return hash.hex();
}

std::string gitBlobIdHex(std::string_view bytes) {
    auto hash = newSha1();
    hash.update(blobHeader(bytes.size()));
    hash.update(bytes);
    return hash.hex();
}

std::string sha256OfFile(const std::filesystem::path& file) {
    auto hash = newSha256();
    feedFile(hash, file);
    return hash.hex();
}

std::string gitBlobIdOfFile(const std::filesystem::path& file) {
    std::error_code error;
    const auto size = std::filesystem::file_size(file, error);
    if (error) throw FileError(FileErrorKind::ioFailure, "Cannot read " + file.string() + ": " + error.message());
    auto hash = newSha1();
    hash.update(blobHeader(size));
    feedFile(hash, file);
    return hash.hex();
}

} // namespace razeziruzer
