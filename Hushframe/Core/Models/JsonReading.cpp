#include "Hushframe/Core/Models/JsonReading.hpp"

#include <charconv>
#include <cmath>

namespace hushframe::jsonfield {

double widened(float value) {
    if (!std::isfinite(value)) return value;
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    double result = 0;
    std::from_chars(buffer, end, result);
    return result;
}

std::vector<double> widened(const std::vector<float>& values) {
    std::vector<double> result;
    result.reserve(values.size());
    for (const float value : values) result.push_back(widened(value));
    return result;
}

void throwTypeMismatch(const std::string& key, const char* expected, const nlohmann::ordered_json& value) {
    throw nlohmann::ordered_json::type_error::create(
        302, "\"" + key + "\" must be " + expected + ", not " + value.type_name(), &value);
}

} // namespace hushframe::jsonfield
