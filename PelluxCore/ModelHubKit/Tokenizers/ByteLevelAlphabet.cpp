#include "PelluxCore/ModelHubKit/Tokenizers/ByteLevelAlphabet.hpp"

#include "PelluxCore/ModelHubKit/Tokenizers/Utf8.hpp"

namespace modelhubkit {
namespace {

bool keepsOwnCharacter(unsigned byte) {
    return (byte >= 0x21 && byte <= 0x7E) || (byte >= 0xA1 && byte <= 0xAC) || (byte >= 0xAE && byte <= 0xFF);
}

} // namespace

const ByteLevelAlphabet& ByteLevelAlphabet::shared() {
    static const ByteLevelAlphabet alphabet;
    return alphabet;
}

ByteLevelAlphabet::ByteLevelAlphabet() {
    // Bytes without a printable character of their own take U+0100 onwards, in byte order.
    char32_t nextSubstitute = 0x100;
    for (unsigned byte = 0; byte < 256; ++byte) {
        const char32_t character = keepsOwnCharacter(byte) ? byte : nextSubstitute++;
        utf8::append(characterOfByte_[byte], character);
        byteOfCharacter_.emplace(character, static_cast<unsigned char>(byte));
    }
}

void ByteLevelAlphabet::encode(std::string_view text, std::string& out) const {
    out.reserve(out.size() + text.size() * 2);
    for (const char byte : text) out += characterOfByte_[static_cast<unsigned char>(byte)];
}

void ByteLevelAlphabet::decode(std::string_view text, std::string& out) const {
    std::size_t offset = 0;
    while (offset < text.size()) {
        const std::size_t start = offset;
        const char32_t scalar = utf8::nextScalar(text, offset);
        if (const auto found = byteOfCharacter_.find(scalar); found != byteOfCharacter_.end()) {
            out += static_cast<char>(found->second);
        } else {
            out.append(text.substr(start, offset - start));
        }
    }
}

} // namespace modelhubkit
