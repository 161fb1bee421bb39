#pragma once
// Enumerations with raw values: each one specialises fromRawValue (exact
// match, anything else gives no case) and allCases (declaration order) beside
// its own rawValue() overload.

#include <optional>
#include <span>
#include <string_view>

namespace hushframe {

template <typename Enum>
std::optional<Enum> fromRawValue(std::string_view rawValue);

template <typename Enum>
std::span<const Enum> allCases();

} // namespace hushframe
