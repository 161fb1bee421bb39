#pragma once
// Standard base64 (RFC 4648 alphabet, with padding) for bytes stored as text.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

std::string base64Encode(const std::vector<std::uint8_t>& bytes);
// nullopt for text that is not canonical padded base64.
std::optional<std::vector<std::uint8_t>> base64Decode(std::string_view text);

} // namespace platform
