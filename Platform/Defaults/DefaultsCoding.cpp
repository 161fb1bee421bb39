#include "Platform/Defaults/DefaultsCoding.hpp"

#include "Platform/Core/Error.hpp"
#include "Platform/Defaults/Base64.hpp"

#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>

namespace platform {

namespace {

using json = nlohmann::json;

constexpr const char* dataMarker = "$data";
constexpr const char* dictionaryMarker = "$dictionary";

bool looksLikeMarker(const json& object) {
    return object.size() == 1 && (object.contains(dataMarker) || object.contains(dictionaryMarker));
}

struct Encoder {
    json operator()(bool value) const { return value; }
    json operator()(std::int64_t value) const { return value; }
    json operator()(double value) const {
        if (!std::isfinite(value)) throw Error("A stored number must be finite");
        return value;
    }
    json operator()(const std::string& value) const { return value; }
    json operator()(const DefaultsValue::Data& value) const { return json{{dataMarker, base64Encode(value)}}; }
    json operator()(const DefaultsValue::Array& value) const {
        auto array = json::array();
        for (const auto& element : value) array.push_back(encodeDefaultsValue(element));
        return array;
    }
    json operator()(const DefaultsValue::Dictionary& value) const {
        auto object = json::object();
        for (const auto& [key, element] : value) object[key] = encodeDefaultsValue(element);
        if (looksLikeMarker(object)) return json{{dictionaryMarker, std::move(object)}};
        return object;
    }
};

std::optional<DefaultsValue> decodeArray(const json& array) {
    DefaultsValue::Array values;
    values.reserve(array.size());
    for (const auto& element : array) {
        auto value = decodeDefaultsValue(element);
        if (!value) return std::nullopt;
        values.push_back(std::move(*value));
    }
    return DefaultsValue(std::move(values));
}

std::optional<DefaultsValue> decodeDictionary(const json& object) {
    DefaultsValue::Dictionary values;
    for (const auto& [key, element] : object.items()) {
        auto value = decodeDefaultsValue(element);
        if (!value) return std::nullopt;
        values.emplace(key, std::move(*value));
    }
    return DefaultsValue(std::move(values));
}

std::optional<DefaultsValue> decodeObject(const json& object) {
    if (object.size() == 1) {
        if (const auto data = object.find(dataMarker); data != object.end()) {
            if (!data->is_string()) return std::nullopt;
            auto bytes = base64Decode(data->get_ref<const std::string&>());
            if (!bytes) return std::nullopt;
            return DefaultsValue(std::move(*bytes));
        }
        if (const auto inner = object.find(dictionaryMarker); inner != object.end()) {
            return inner->is_object() ? decodeDictionary(*inner) : std::nullopt;
        }
    }
    return decodeDictionary(object);
}

struct TooDeep {};

} // namespace

std::optional<json> parseDefaultsFile(std::string_view text, std::string& damage) {
    const json::parser_callback_t limitDepth = [](int depth, json::parse_event_t event, json&) {
        const bool opens = event == json::parse_event_t::object_start || event == json::parse_event_t::array_start;
        if (opens && depth >= maxDefaultsNesting) throw TooDeep{};
        return true;
    };
    json parsed;
    try {
        parsed = json::parse(text, limitDepth, false);
    } catch (const TooDeep&) {
        damage = "nested deeper than " + std::to_string(maxDefaultsNesting) + " levels";
        return std::nullopt;
    }
    if (parsed.is_discarded()) {
        damage = "not JSON";
        return std::nullopt;
    }
    if (!parsed.is_object()) {
        damage = "not a JSON object";
        return std::nullopt;
    }
    return parsed;
}

bool nestsDeeperThan(const json& value, int limit) {
    if (!value.is_structured()) return false;
    if (limit <= 0) return true;
    for (const auto& element : value) {
        if (nestsDeeperThan(element, limit - 1)) return true;
    }
    return false;
}

json encodeDefaultsValue(const DefaultsValue& value) { return std::visit(Encoder{}, value.storage()); }

std::optional<DefaultsValue> decodeDefaultsValue(const json& json) {
    switch (json.type()) {
    case json::value_t::boolean: return DefaultsValue(json.get<bool>());
    case json::value_t::number_integer: return DefaultsValue(json.get<std::int64_t>());
    case json::value_t::number_unsigned: {
        const auto value = json.get<std::uint64_t>();
        if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return std::nullopt;
        return DefaultsValue(static_cast<std::int64_t>(value));
    }
    case json::value_t::number_float: return DefaultsValue(json.get<double>());
    case json::value_t::string: return DefaultsValue(json.get<std::string>());
    case json::value_t::array: return decodeArray(json);
    case json::value_t::object: return decodeObject(json);
    default: return std::nullopt;
    }
}

} // namespace platform
