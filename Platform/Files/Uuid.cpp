#include "Platform/Files/Uuid.hpp"

#include "Platform/Core/Error.hpp"

#include <cerrno>
#include <cstring>
#include <string_view>
#include <sys/random.h>

namespace platform {

namespace {

void fillRandom(Uuid::Bytes& bytes) {
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const auto got = getrandom(bytes.data() + filled, bytes.size() - filled, 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw Error(std::string("No random source for a new identifier: ") + std::strerror(errno));
        }
        filled += static_cast<std::size_t>(got);
    }
}

std::optional<std::uint8_t> hexDigit(char c) {
    if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<std::uint8_t>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<std::uint8_t>(c - 'A' + 10);
    return std::nullopt;
}

bool isHyphenPosition(std::size_t index) {
    return index == 8 || index == 13 || index == 18 || index == 23;
}

} // namespace

Uuid::Uuid() {
    fillRandom(bytes_);
    bytes_[6] = static_cast<std::uint8_t>((bytes_[6] & 0x0F) | 0x40);
    bytes_[8] = static_cast<std::uint8_t>((bytes_[8] & 0x3F) | 0x80);
}

std::optional<Uuid> Uuid::fromString(std::string_view text) {
    if (text.size() != 36) return std::nullopt;
    Bytes bytes{};
    std::size_t nibble = 0;
    for (std::size_t index = 0; index < text.size(); ++index) {
        if (isHyphenPosition(index)) {
            if (text[index] != '-') return std::nullopt;
            continue;
        }
        const auto digit = hexDigit(text[index]);
        if (!digit) return std::nullopt;
        auto& byte = bytes[nibble / 2];
        byte = static_cast<std::uint8_t>(nibble % 2 == 0 ? *digit << 4 : byte | *digit);
        ++nibble;
    }
    return Uuid(bytes);
}

std::string Uuid::toString() const {
    static constexpr std::string_view digits = "0123456789ABCDEF";
    std::string text;
    text.reserve(36);
    for (std::size_t index = 0; index < bytes_.size(); ++index) {
        if (index == 4 || index == 6 || index == 8 || index == 10) text += '-';
        text += digits[bytes_[index] >> 4];
        text += digits[bytes_[index] & 0x0F];
    }
    return text;
}

} // namespace platform

std::size_t std::hash<platform::Uuid>::operator()(const platform::Uuid& uuid) const noexcept {
    std::size_t seed = 0;
    for (const auto byte : uuid.bytes()) seed = seed * 131 + byte;
    return seed;
}
