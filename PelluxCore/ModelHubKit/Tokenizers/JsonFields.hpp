#pragma once
// Lenient readers for the optional fields of tokenizer files, where an absent
// key and a null value both mean "use the default".

#include "PelluxCore/ModelHubKit/Tokenizers/TokenizerError.hpp"

#include <nlohmann/json.hpp>

#include <limits>
#include <optional>
#include <string>

namespace modelhubkit::json {

inline std::optional<std::string> optionalString(const nlohmann::json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || found->is_null()) return std::nullopt;
    return found->get<std::string>();
}

inline std::string stringOr(const nlohmann::json& object, const char* key, std::string fallback) {
    return optionalString(object, key).value_or(std::move(fallback));
}

template <typename T>
T valueOr(const nlohmann::json& object, const char* key, T fallback) {
    const auto found = object.find(key);
    if (found == object.end() || found->is_null()) return fallback;
    return found->get<T>();
}

// A token id: a whole number that fits an int. Anything else (a fraction, a
// number beyond range, text) is a malformed tokenizer, not a conversion
// whose result is undefined.
inline int tokenId(const nlohmann::json& value) {
    const bool fits = (value.is_number_integer() && !value.is_number_unsigned() &&
                       value.get<std::int64_t>() >= std::numeric_limits<int>::min() &&
                       value.get<std::int64_t>() <= std::numeric_limits<int>::max()) ||
                      (value.is_number_unsigned() && value.get<std::uint64_t>() <= std::numeric_limits<int>::max());
    if (!fits) {
        throw TokenizerError(TokenizerErrorKind::malformedTokenizer, "Token id " + value.dump() + " is not a whole number within range");
    }
    return value.get<int>();
}

} // namespace modelhubkit::json
