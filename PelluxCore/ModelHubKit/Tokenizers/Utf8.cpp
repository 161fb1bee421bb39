#include "PelluxCore/ModelHubKit/Tokenizers/Utf8.hpp"

namespace modelhubkit::utf8 {
namespace {

constexpr char32_t replacementCharacter = 0xFFFD;

unsigned char byteAt(std::string_view text, std::size_t offset) {
    return static_cast<unsigned char>(text[offset]);
}

// Length a lead byte announces (0 for bytes that cannot start a scalar) and
// the allowed range of the second byte, which rules out overlong forms,
// surrogates and values above U+10FFFF.
struct LeadByte {
    std::size_t length = 0;
    unsigned char secondLow = 0x80;
    unsigned char secondHigh = 0xBF;
};

LeadByte classify(unsigned char lead) {
    if (lead < 0x80) return {1};
    if (lead >= 0xC2 && lead <= 0xDF) return {2};
    if (lead == 0xE0) return {3, 0xA0, 0xBF};
    if (lead == 0xED) return {3, 0x80, 0x9F};
    if (lead >= 0xE1 && lead <= 0xEF) return {3};
    if (lead == 0xF0) return {4, 0x90, 0xBF};
    if (lead >= 0xF1 && lead <= 0xF3) return {4};
    if (lead == 0xF4) return {4, 0x80, 0x8F};
    return {};
}

// Number of bytes from `offset` that belong to a well-formed prefix of a
// scalar, and whether that prefix is the whole scalar.
std::size_t validPrefix(std::string_view text, std::size_t offset, bool& complete) {
    const LeadByte lead = classify(byteAt(text, offset));
    complete = false;
    if (lead.length == 0) return 0;
    if (lead.length == 1) {
        complete = true;
        return 1;
    }
    std::size_t taken = 1;
    while (taken < lead.length && offset + taken < text.size()) {
        const unsigned char byte = byteAt(text, offset + taken);
        const unsigned char low = taken == 1 ? lead.secondLow : 0x80;
        const unsigned char high = taken == 1 ? lead.secondHigh : 0xBF;
        if (byte < low || byte > high) return taken;
        ++taken;
    }
    complete = taken == lead.length;
    return taken;
}

} // namespace

std::size_t scalarLength(std::string_view text, std::size_t offset) {
    bool complete = false;
    const std::size_t length = validPrefix(text, offset, complete);
    return complete ? length : 0;
}

char32_t nextScalar(std::string_view text, std::size_t& offset) {
    bool complete = false;
    const std::size_t length = validPrefix(text, offset, complete);
    if (!complete) {
        offset += length == 0 ? 1 : length;
        return replacementCharacter;
    }
    const unsigned char lead = byteAt(text, offset);
    char32_t scalar = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) scalar = (scalar << 6) | (byteAt(text, offset + i) & 0x3F);
    offset += length;
    return scalar;
}

void append(std::string& out, char32_t scalar) {
    if (scalar < 0x80) {
        out += static_cast<char>(scalar);
    } else if (scalar < 0x800) {
        out += static_cast<char>(0xC0 | (scalar >> 6));
        out += static_cast<char>(0x80 | (scalar & 0x3F));
    } else if (scalar < 0x10000) {
        out += static_cast<char>(0xE0 | (scalar >> 12));
        out += static_cast<char>(0x80 | ((scalar >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (scalar & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (scalar >> 18));
        out += static_cast<char>(0x80 | ((scalar >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((scalar >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (scalar & 0x3F));
    }
}

std::string makeValid(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    std::size_t offset = 0;
    while (offset < bytes.size()) {
        const std::size_t length = scalarLength(bytes, offset);
        if (length > 0) {
            out.append(bytes.substr(offset, length));
            offset += length;
        } else {
            append(out, nextScalar(bytes, offset));
        }
    }
    return out;
}

} // namespace modelhubkit::utf8
