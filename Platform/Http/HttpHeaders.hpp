#pragma once
// Header fields of a request or reply, in the order given; names compare
// without regard to ASCII case, as HTTP defines them.

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

class HttpHeaders {
public:
    using Field = std::pair<std::string, std::string>;

    HttpHeaders() = default;
    HttpHeaders(std::initializer_list<Field> fields);

    // Appends a field, keeping any earlier one of the same name.
    void add(std::string name, std::string value);
    // Replaces every field of that name with one.
    void set(std::string name, std::string value);
    void remove(std::string_view name);

    bool contains(std::string_view name) const;
    // The first field of that name.
    std::optional<std::string> value(std::string_view name) const;
    std::vector<std::string> values(std::string_view name) const;

    const std::vector<Field>& fields() const { return fields_; }
    bool empty() const { return fields_.empty(); }
    void clear() { fields_.clear(); }

    bool operator==(const HttpHeaders&) const = default;

private:
    std::vector<Field> fields_;
};

bool headerNameEquals(std::string_view a, std::string_view b);

} // namespace platform
