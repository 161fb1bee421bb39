#pragma once
// Internal bridge between UTF-8 std::string and ICU's UTF-16 strings. Ill-formed
// UTF-8 reads as U+FFFD, one replacement per maximal ill-formed subsequence.

#include <unicode/unistr.h>
#include <unicode/utypes.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace platform::text::detail {

icu::UnicodeString toUnicode(std::string_view utf8);
std::string toUtf8(const icu::UnicodeString& text);

// Throws platform::Error "<what>: <ICU error name>" when status is a failure.
void throwIfFailed(UErrorCode status, std::string_view what);

// UTF-16 copy of a UTF-8 text that remembers, for every UTF-16 index, the byte
// offset in the original where that index's code point starts.
class Utf16Text {
public:
    explicit Utf16Text(std::string_view utf8);

    const icu::UnicodeString& text() const noexcept { return text_; }
    std::size_t byteOffset(int32_t utf16Index) const { return byteOffsets_.at(static_cast<std::size_t>(utf16Index)); }
    // The first UTF-16 index whose code point starts at or after byteOffset.
    int32_t utf16Index(std::size_t byteOffset) const;

private:
    icu::UnicodeString text_;
    std::vector<std::size_t> byteOffsets_; // one per UTF-16 unit, plus the end
};

} // namespace platform::text::detail
