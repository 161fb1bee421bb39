#pragma once
// A 128-bit universally unique identifier: random version-4 values, the
// canonical upper-case 8-4-4-4-12 text form, parsing from text in either case.

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

class Uuid {
public:
    using Bytes = std::array<std::uint8_t, 16>;

    // A new random identifier (version 4, RFC 4122 variant) from the kernel's
    // random source.
    Uuid();
    explicit Uuid(const Bytes& bytes) : bytes_(bytes) {}

    // Accepts exactly the 36-character hyphenated hexadecimal form, any case.
    static std::optional<Uuid> fromString(std::string_view text);

    // The 36-character hyphenated form in upper case.
    std::string toString() const;
    const Bytes& bytes() const { return bytes_; }

    friend bool operator==(const Uuid&, const Uuid&) = default;
    friend std::strong_ordering operator<=>(const Uuid&, const Uuid&) = default;

private:
    Bytes bytes_;
};

} // namespace platform

template <>
struct std::hash<platform::Uuid> {
    std::size_t operator()(const platform::Uuid& uuid) const noexcept;
};
