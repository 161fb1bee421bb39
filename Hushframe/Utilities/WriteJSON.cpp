#include "Hushframe/Utilities/WriteJSON.hpp"

#include "Platform/Files/FileContents.hpp"

#include <nlohmann/json.hpp>

#include <cmath>

namespace hushframe {

namespace {

// JSON has no infinite or NaN numbers. Written as null they would make a file
// that our own reader refuses, so such a result is not written at all.
void requireFinite(const nlohmann::ordered_json& value, const std::string& path) {
    if (value.is_number_float() && !std::isfinite(value.get<double>())) {
        throw nlohmann::ordered_json::type_error::create(
            317, "\"" + path + "\" is " + std::to_string(value.get<double>()) + ", which JSON cannot hold", &value);
    }
    if (value.is_object()) {
        for (const auto& [key, item] : value.items()) requireFinite(item, path.empty() ? key : path + "." + key);
    } else if (value.is_array()) {
        for (std::size_t i = 0; i < value.size(); ++i) requireFinite(value[i], path + "[" + std::to_string(i) + "]");
    }
}

} // namespace

ResultWriteOutcome WriteJSON::write(const TranscriptionResult& result, const std::string& to,
                                    const std::optional<ResultWriterOptions>&) const {
    return outcomeOf([&] {
        const auto path = std::filesystem::path(outputDir_) / (to + ".json");
        nlohmann::ordered_json json;
        result.encode(json);
        requireFinite(json, "");
        // Atomic like the subtitle writers: a write cut short (a full disk)
        // must not leave a truncated file in place of an earlier one.
        platform::files::writeAtomically(path, json.dump(2));
        return path;
    });
}

} // namespace hushframe
