#include "Platform/Defaults/Base64.hpp"

#include <algorithm>
#include <array>
#include <cstdint>

namespace platform {

namespace {

constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<int, 256> makeReverse() {
    std::array<int, 256> reverse{};
    for (auto& entry : reverse) entry = -1;
    for (std::size_t index = 0; index < alphabet.size(); ++index) {
        reverse[static_cast<unsigned char>(alphabet[index])] = static_cast<int>(index);
    }
    return reverse;
}

constexpr auto reverseAlphabet = makeReverse();

} // namespace

std::string base64Encode(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t index = 0; index < bytes.size(); index += 3) {
        const std::size_t count = std::min<std::size_t>(3, bytes.size() - index);
        std::uint32_t group = std::uint32_t{bytes[index]} << 16;
        if (count > 1) group |= std::uint32_t{bytes[index + 1]} << 8;
        if (count > 2) group |= bytes[index + 2];
        for (std::size_t digit = 0; digit < 4; ++digit) {
            text += digit <= count ? alphabet[(group >> (18 - 6 * digit)) & 0x3F] : '=';
        }
    }
    return text;
}

std::optional<std::vector<std::uint8_t>> base64Decode(std::string_view text) {
    if (text.size() % 4 != 0) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() / 4 * 3);
    for (std::size_t index = 0; index < text.size(); index += 4) {
        const bool last = index + 4 == text.size();
        std::size_t padding = 0;
        std::uint32_t group = 0;
        for (std::size_t digit = 0; digit < 4; ++digit) {
            const char c = text[index + digit];
            if (c == '=' && last && digit >= 2) {
                ++padding;
                group <<= 6;
                continue;
            }
            const int value = reverseAlphabet[static_cast<unsigned char>(c)];
            if (value < 0 || padding > 0) return std::nullopt;
            group = (group << 6) | static_cast<std::uint32_t>(value);
        }
        // Bits under the padding must be zero, so each byte string has one text.
        if ((padding == 1 && (group & 0xFF) != 0) || (padding == 2 && (group & 0xFFFF) != 0)) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(group >> 16));
        if (padding < 2) bytes.push_back(static_cast<std::uint8_t>(group >> 8));
        if (padding < 1) bytes.push_back(static_cast<std::uint8_t>(group));
    }
    return bytes;
}

} // namespace platform
