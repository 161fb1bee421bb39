#include "Platform/Http/HttpHeaders.hpp"

#include <algorithm>

namespace platform {
namespace {

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool headerNameEquals(std::string_view a, std::string_view b)
{
    return std::ranges::equal(a, b, [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

HttpHeaders::HttpHeaders(std::initializer_list<Field> fields) : fields_(fields) {}

void HttpHeaders::add(std::string name, std::string value)
{
    fields_.emplace_back(std::move(name), std::move(value));
}

void HttpHeaders::set(std::string name, std::string value)
{
    remove(name);
    add(std::move(name), std::move(value));
}

void HttpHeaders::remove(std::string_view name)
{
    std::erase_if(fields_, [name](const Field& field) { return headerNameEquals(field.first, name); });
}

bool HttpHeaders::contains(std::string_view name) const
{
    return value(name).has_value();
}

std::optional<std::string> HttpHeaders::value(std::string_view name) const
{
    const auto found = std::ranges::find_if(
        fields_, [name](const Field& field) { return headerNameEquals(field.first, name); });
    if (found == fields_.end())
        return std::nullopt;
    return found->second;
}

std::vector<std::string> HttpHeaders::values(std::string_view name) const
{
    std::vector<std::string> result;
    for (const auto& [fieldName, fieldValue] : fields_) {
        if (headerNameEquals(fieldName, name))
            result.push_back(fieldValue);
    }
    return result;
}

} // namespace platform
