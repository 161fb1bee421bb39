#pragma once
// The reversible byte-to-character mapping of byte-level BPE: every byte gets
// a printable character (bytes that are printable already keep their own), so
// that any UTF-8 text, or any byte sequence, becomes text a BPE vocabulary can hold.

#include <array>
#include <string>
#include <string_view>
#include <unordered_map>

namespace modelhubkit {

class ByteLevelAlphabet {
public:
    static const ByteLevelAlphabet& shared();

    // Every byte of `text` replaced by its character, appended to `out`.
    void encode(std::string_view text, std::string& out) const;
    // The bytes the characters of `text` stand for, appended to `out`; a
    // character outside the alphabet is kept as it is. The result may be
    // ill-formed UTF-8 when the characters stand for part of a scalar.
    void decode(std::string_view text, std::string& out) const;

private:
    ByteLevelAlphabet();

    std::array<std::string, 256> characterOfByte_;
    std::unordered_map<char32_t, unsigned char> byteOfCharacter_;
};

} // namespace modelhubkit
